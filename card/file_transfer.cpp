#include "card/file_transfer.h"

#include "card/path_names.h"
#include "ul/progress.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace ZQ3 {

namespace FileTransfer {
namespace {

// Large enough that a copy runs at the device's speed, small enough that progress moves and
// Cancel is noticed several times a second even on a slow card.
constexpr std::size_t CopyChunkBytes = 256 * 1024;
constexpr std::int64_t ProgressRange = 1000;
constexpr mode_t AllWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
// What a created file may be opened with at most; the umask takes its share.
constexpr mode_t NewFileMode = S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH;

bool HoldsNul(const std::string& path) {
    return path.find('\0') != std::string::npos;
}

// Refuses a path the system would read as a shorter one.
bool UsablePath(const std::string& path) {
    if (path.empty() || HoldsNul(path)) {
        errno = path.empty() ? ENOENT : EINVAL;
        return false;
    }
    return true;
}

using PathNames::ParentDirectory;
using PathNames::WithoutTrailingSeparators;

bool StatIsDirectory(const std::string& path, IFileSystem& fs) {
    struct stat status {};
    return fs.Stat(path, status) == 0 && S_ISDIR(status.st_mode);
}

// Closes on every path out of a step; an explicit close reports the error that a network or
// removable file system may only give at that moment.
class CDescriptor {
public:
    CDescriptor(IFileSystem& fs, int fd) : fs_(fs), fd_(fd) {}
    ~CDescriptor() {
        if (fd_ >= 0) {
            fs_.Close(fd_);
        }
    }
    CDescriptor(const CDescriptor&) = delete;
    CDescriptor& operator=(const CDescriptor&) = delete;

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        // Linux releases the descriptor even when close fails, so it is never retried.
        return fs_.Close(fd) == 0;
    }

private:
    IFileSystem& fs_;
    int fd_;
};

// EINVAL and EROFS mean that the item cannot be synchronised at all, which is not a failed
// flush: there is nothing held back that could be lost.
bool SyncDescriptor(IFileSystem& fs, int fd) {
    if (fs.Fsync(fd) == 0) {
        return true;
    }
    return errno == EINVAL || errno == EROFS;
}

bool SyncDirectoryEntries(const std::string& directory, IFileSystem& fs) {
    CDescriptor fd(fs, fs.Open(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
    if (!fd.isOpen()) {
        return false;
    }
    return SyncDescriptor(fs, fd.get()) && fd.close();
}

// The f_type of a FUSE file system (linux/magic.h). Its server decides what a flush of the whole
// file system does, and need not pass it on to the device at all; a file's own flush it must.
constexpr decltype(statfs::f_type) FuseSuperMagic = 0x65735546;

bool WholeVolumeFlushReachesDevice(int directoryFd, IFileSystem& fs) {
    struct statfs volume {};
    return fs.Fstatfs(directoryFd, volume) == 0 && volume.f_type != FuseSuperMagic;
}

bool SyncFileAt(const std::string& path, IFileSystem& fs) {
    // Non-blocking and not through a link: only the regular file that was written is flushed.
    CDescriptor file(fs, fs.Open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0));
    return file.isOpen() && SyncDescriptor(fs, file.get()) && file.close();
}

// File systems without range syncing get everything flushed at the end instead.
bool RangeSyncUnsupported() {
    return errno == EINVAL || errno == ESPIPE || errno == ENOSYS || errno == EOPNOTSUPP;
}

// Keeps the device writing while the copy reads and writes the next chunks: each chunk's
// write-out starts as soon as it is written, and the copy waits only for the chunks written
// ChunksInFlight before. Progress so follows the device within a megabyte, the final flush has
// little left, and neither the device nor the copy sits idle waiting for the other, as when
// every chunk was waited for at once.
class CWriteThrough {
public:
    static constexpr std::int64_t ChunksInFlight = 4;

    explicit CWriteThrough(int fd) : fd_(fd) {}

    // Called after each chunk is written, with the file's length so far.
    bool written(std::int64_t end) {
        if (::sync_file_range(fd_, started_, end - started_, SYNC_FILE_RANGE_WRITE) != 0) {
            return RangeSyncUnsupported();
        }
        started_ = end;
        const std::int64_t settled = end - ChunksInFlight * std::int64_t{CopyChunkBytes};
        if (settled <= waited_) {
            return true;
        }
        if (::sync_file_range(fd_, waited_, settled - waited_,
                              SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                  SYNC_FILE_RANGE_WAIT_AFTER) != 0) {
            return RangeSyncUnsupported();
        }
        waited_ = settled;
        return true;
    }

private:
    int fd_;
    std::int64_t started_ = 0; // write-out started below this offset
    std::int64_t waited_ = 0;  // on the device below this offset
};

bool WriteAll(IFileSystem& fs, int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = fs.Write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

ssize_t ReadSome(IFileSystem& fs, int fd, char* data, std::size_t size) {
    for (;;) {
        const ssize_t got = fs.Read(fd, data, size);
        if (got >= 0 || errno != EINTR) {
            return got;
        }
    }
}

std::int64_t Thousandths(std::int64_t transferred, std::int64_t total) {
    if (total <= 0) {
        return ProgressRange;
    }
    const double share = static_cast<double>(transferred) / static_cast<double>(total);
    const auto position = static_cast<std::int64_t>(share * static_cast<double>(ProgressRange));
    return position < 0 ? 0 : position > ProgressRange ? ProgressRange : position;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The destination of a failed copy holds an incomplete file that nobody may take for a good
// one. It is removed only while the name still leads to the file this copy wrote.
void RemoveIncompleteCopy(const std::string& destination, const struct stat& written,
                          IFileSystem& fs) {
    const int failure = errno;
    struct stat status {};
    if (fs.Lstat(destination, status) == 0 && SameFile(status, written)) {
        fs.Unlink(destination);
    }
    errno = failure;
}

// Opens an existing regular file for reading. Non-blocking at first, so that a FIFO or a device
// at the name is refused at once instead of waiting for a writer.
int OpenRegularForReading(const std::string& path, IFileSystem& fs, struct stat& status) {
    const int fd = fs.Open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0);
    if (fd < 0) {
        return -1;
    }
    const auto refuse = [&](int error) {
        fs.Close(fd);
        errno = error;
        return -1;
    };
    if (fs.Fstat(fd, status) != 0) {
        return refuse(errno);
    }
    if (!S_ISREG(status.st_mode)) {
        return refuse(S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return refuse(errno);
    }
    return fd;
}

bool CopyFile(const std::string& source, const std::string& destination, UL::IProgress* progress,
              Flush flush, bool unlock, IFileSystem& fs, CContentDigest* digest) {
    if (!UsablePath(source) || !UsablePath(destination)) {
        return false;
    }
    struct stat sourceStatus {};
    CDescriptor in(fs, OpenRegularForReading(source, fs, sourceStatus));
    if (!in.isOpen()) {
        return false;
    }
    // Always a new file: an existing name, a link placed there or a FIFO makes the copy fail
    // rather than write into something that is not ours.
    CDescriptor out(fs, fs.Open(destination, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                NewFileMode));
    if (!out.isOpen()) {
        return false;
    }
    struct stat written {};
    if (fs.Fstat(out.get(), written) != 0) {
        const int failure = errno;
        out.close();
        fs.Unlink(destination);
        errno = failure;
        return false;
    }
    const auto fail = [&]() {
        RemoveIncompleteCopy(destination, written, fs);
        return false;
    };

    if (progress != nullptr) {
        progress->setRange(ProgressRange);
        progress->setPosition(0);
    }
    const std::int64_t total = sourceStatus.st_size;
    std::vector<char> buffer(CopyChunkBytes);
    std::int64_t transferred = 0;
    std::int64_t position = 0;
    CWriteThrough writeThrough(out.get());
    for (;;) {
        if (progress != nullptr && progress->isCancelled()) {
            errno = ECANCELED;
            return fail();
        }
        const ssize_t got = ReadSome(fs, in.get(), buffer.data(), buffer.size());
        if (got < 0) {
            return fail();
        }
        if (got == 0) {
            break;
        }
        if (!WriteAll(fs, out.get(), buffer.data(), static_cast<std::size_t>(got))) {
            return fail();
        }
        if (digest != nullptr) {
            digest->add(buffer.data(), static_cast<std::size_t>(got));
        }
        transferred += got;
        if (flush != Flush::No && !writeThrough.written(transferred)) {
            return fail();
        }
        position = Thousandths(transferred, total);
        if (progress != nullptr) {
            progress->setPosition(position);
        }
    }
    // A source that shrank while it was copied, or an empty one, still ends at the full range.
    if (progress != nullptr && position != ProgressRange) {
        progress->setPosition(ProgressRange);
    }

    if (unlock) {
        // The owner may write the copy; nobody else gains a right the umask did not give. A file
        // system that keeps no modes (a FAT card) may refuse, which changes nothing there.
        (void)fs.Fchmod(out.get(), (written.st_mode & ACCESSPERMS) | S_IWUSR);
    }
    if (flush == Flush::ToDevice && !SyncDescriptor(fs, out.get())) {
        return fail();
    }
    if (!out.close()) {
        return fail();
    }
    // A new file's name lives in its directory, which must reach the device too.
    if (flush == Flush::ToDevice && !SyncDirectoryEntries(ParentDirectory(destination), fs)) {
        return fail();
    }
    return true;
}

// A file system that keeps no modes or owners (a FAT card) refuses to change them; that is no
// failure, as there is nothing to keep there.
bool KeepsNoPermissions() {
    return errno == EPERM || errno == EOPNOTSUPP || errno == ENOTSUP || errno == EROFS;
}

// Gives the new file at fd what the regular file at destination grants: its owner and group
// where this user may give them, and its permission bits, so that replacing a file never opens
// it to more people than before. A group that cannot be kept takes the group's rights with it,
// since they would pass to this user's own group. Where nothing is replaced, or a link is (the
// link goes, not what it leads to), the new file keeps the mode it was created with: the usual
// one after the umask.
bool TakeOverPermissions(const std::string& destination, int fd, const struct stat& created,
                         IFileSystem& fs) {
    struct stat replaced {};
    if (fs.Lstat(destination, replaced) != 0 || !S_ISREG(replaced.st_mode)) {
        return true;
    }
    mode_t mode = replaced.st_mode & ACCESSPERMS;
    if (replaced.st_uid != created.st_uid || replaced.st_gid != created.st_gid) {
        // Owners live outside the file-system interface: only the superuser gives a file away,
        // and any failure here leaves the file to this user.
        if (::fchown(fd, replaced.st_uid, replaced.st_gid) != 0 &&
            ::fchown(fd, static_cast<uid_t>(-1), replaced.st_gid) != 0) {
            mode &= static_cast<mode_t>(~S_IRWXG);
        }
    }
    if (fs.Fchmod(fd, mode) != 0 && !KeepsNoPermissions()) {
        return false;
    }
    return true;
}

std::string FindProgramDirectory() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            break;
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return ParentDirectory(std::string(buffer.data(), static_cast<std::size_t>(length)));
        }
        buffer.resize(buffer.size() * 2);
    }
    // Without /proc the working directory is the best guess left; it is at least absolute.
    std::vector<char> working(PATH_MAX);
    if (::getcwd(working.data(), working.size()) != nullptr) {
        return working.data();
    }
    return ".";
}

} // namespace

bool IsAbsolutePath(const std::string& path) {
    return !path.empty() && path.front() == '/' && !HoldsNul(path);
}

bool Exists(const std::string& path, IFileSystem& fs) {
    if (!IsAbsolutePath(path)) {
        return false;
    }
    struct stat status {};
    if (fs.Lstat(path, status) != 0) {
        return false;
    }
    // A link whose target is missing still occupies the name: a command that clears a name
    // before it writes there must remove the link rather than write through it.
    if (S_ISLNK(status.st_mode) && fs.Stat(path, status) != 0) {
        return true;
    }
    return !S_ISDIR(status.st_mode);
}

bool DirectoryExists(const std::string& path, IFileSystem& fs) {
    return IsAbsolutePath(path) && StatIsDirectory(path, fs);
}

bool Remove(const std::string& path, IFileSystem& fs) {
    return UsablePath(path) && fs.Unlink(path) == 0;
}

bool Rename(const std::string& oldPath, const std::string& newPath, IFileSystem& fs) {
    if (!UsablePath(oldPath) || !UsablePath(newPath)) {
        return false;
    }
    if (fs.Rename(oldPath, newPath, RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        return false;
    }
    // The file system cannot refuse an existing name while renaming; a hard link refuses it
    // just as atomically. Where neither exists the move fails rather than risk a replacement.
    if (fs.Link(oldPath, newPath) != 0) {
        return false;
    }
    if (fs.Unlink(oldPath) != 0) {
        const int failure = errno;
        fs.Unlink(newPath);
        errno = failure;
        return false;
    }
    return true;
}

bool Replace(const std::string& temporaryPath, const std::string& destination, IFileSystem& fs) {
    if (!UsablePath(temporaryPath) || !UsablePath(destination)) {
        return false;
    }
    {
        // The new data must be on the device before the old file gives up its name, or a crash
        // could leave the destination empty.
        struct stat status {};
        CDescriptor temporary(fs, OpenRegularForReading(temporaryPath, fs, status));
        if (!temporary.isOpen()) {
            return false;
        }
        if (!TakeOverPermissions(destination, temporary.get(), status, fs) ||
            !SyncDescriptor(fs, temporary.get()) || !temporary.close()) {
            return false;
        }
    }
    if (fs.Rename(temporaryPath, destination, 0) != 0) {
        return false;
    }
    return SyncDirectoryEntries(ParentDirectory(destination), fs);
}

bool CopyAndUnlock(const std::string& source, const std::string& destination, Flush flush,
                   IFileSystem& fs, CContentDigest* digest) {
    return CopyFile(source, destination, nullptr, flush, true, fs, digest);
}

bool CopyWithProgress(const std::string& source, const std::string& destination,
                      UL::IProgress& progress, Flush flush, IFileSystem& fs,
                      CContentDigest* digest) {
    return CopyFile(source, destination, &progress, flush, false, fs, digest);
}

namespace {

// Reads up to size bytes, fewer only at the end of the file; -1 with errno set on failure.
ssize_t ReadFully(IFileSystem& fs, int fd, char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = fs.Read(fd, data + done, size - done);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

} // namespace

bool DigestFromDevice(const std::string& path, CContentDigest& digest, IFileSystem& fs) {
    CDescriptor file(fs, fs.Open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0));
    if (!file.isOpen()) {
        return false;
    }
    // Clean cached pages are dropped, so that what follows is read from the device. The advice
    // may be ignored (a FUSE file system keeps its own cache); the digest still catches whatever
    // the file system itself got wrong.
    ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_DONTNEED);
    std::vector<char> buffer(CopyChunkBytes);
    for (;;) {
        const ssize_t got = ReadFully(fs, file.get(), buffer.data(), buffer.size());
        if (got < 0) {
            return false;
        }
        digest.add(buffer.data(), static_cast<std::size_t>(got));
        if (static_cast<std::size_t>(got) < buffer.size()) {
            return true;
        }
    }
}

bool SyncDirectory(const std::string& directory, IFileSystem& fs) {
    return UsablePath(directory) && SyncDirectoryEntries(directory, fs);
}

bool SyncContainingDirectory(const std::string& path, IFileSystem& fs) {
    return UsablePath(path) && SyncDirectoryEntries(ParentDirectory(path), fs);
}

bool SyncFilesTogether(int directoryFd, const std::vector<std::string>& paths, IFileSystem& fs) {
    // syncfs writes out every file and name of the volume, waits for them, and reports a
    // write-out that failed since the directory was opened. On any doubt each file is flushed
    // itself, which also finds the one that failed.
    const bool wholeVolume =
        WholeVolumeFlushReachesDevice(directoryFd, fs) && fs.Syncfs(directoryFd) == 0;
    if (!wholeVolume) {
        for (const std::string& path : paths) {
            if (!UsablePath(path) || !SyncFileAt(path, fs)) {
                return false;
            }
        }
    }
    // After syncfs, this flush asks the device to empty its own write cache, which syncfs leaves
    // to the file system and FAT does not do; after the files' flushes, it writes their names.
    return SyncDescriptor(fs, directoryFd);
}

bool WritableDestination(const std::string& path, IFileSystem& fs) {
    if (!IsAbsolutePath(path) || path.back() == '/') {
        return false;
    }
    struct stat status {};
    if (fs.Stat(path, status) != 0) {
        // Only a name that leads nowhere is free; a path that cannot be examined is not. A
        // dangling link is free too: the export replaces the link, never its missing target.
        return errno == ENOENT;
    }
    return S_ISREG(status.st_mode) && (status.st_mode & AllWriteBits) != 0;
}

DestinationCheck ExamineDestination(const std::string& path, IFileSystem& fs) {
    using Problem = DestinationCheck::Problem;
    DestinationCheck check;
    auto refuse = [&check](Problem problem) {
        check.problem = problem;
        return check;
    };
    if (!IsAbsolutePath(path)) {
        return refuse(Problem::NotAFileName);
    }
    struct stat status {};
    if (fs.Stat(path, status) == 0) {
        if (!S_ISREG(status.st_mode)) {
            check.kind = SL::FileKindOfMode(status.st_mode);
            return refuse(Problem::NotRegularFile);
        }
        if ((status.st_mode & AllWriteBits) == 0) {
            return refuse(Problem::ReadOnlyFile);
        }
    } else if (errno == ENOTDIR) {
        // Some folder on the way is a file.
        return refuse(Problem::FolderMissing);
    } else if (errno != ENOENT) {
        return refuse(Problem::CannotExamine);
    } else if (path.back() == '/') {
        return refuse(Problem::NotAFileName);
    } else {
        // A free name (or a link that leads nowhere, which the export replaces): its folder
        // must be there.
        struct stat folder {};
        if (fs.Stat(ParentDirectory(path), folder) != 0) {
            return refuse(errno == ENOENT || errno == ENOTDIR ? Problem::FolderMissing
                                                              : Problem::CannotExamine);
        }
        if (!S_ISDIR(folder.st_mode)) {
            return refuse(Problem::FolderMissing);
        }
    }
    // The work file is created in the folder whether or not a file is replaced. Permission
    // bits decide for the user who asks, as the create will.
    if (::access(ParentDirectory(path).c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS)) {
        return refuse(Problem::FolderNotWritable);
    }
    return check;
}

std::string TemporaryDirectory() {
    const char* configured = std::getenv("TMPDIR");
    if (configured != nullptr && IsAbsolutePath(configured)) {
        const std::string directory = WithoutTrailingSeparators(configured);
        if (StatIsDirectory(directory, PosixFileSystem())) {
            return directory;
        }
    }
    if (StatIsDirectory("/tmp", PosixFileSystem())) {
        return "/tmp";
    }
    return ProgramDirectory();
}

std::uint64_t VolumeSpace::bytesTaken(std::uint64_t fileBytes) const {
    if (allocationUnit <= 1) {
        return fileBytes;
    }
    const std::uint64_t units = fileBytes / allocationUnit + (fileBytes % allocationUnit != 0);
    std::uint64_t taken = 0;
    return __builtin_mul_overflow(units, allocationUnit, &taken) ? UINT64_MAX : taken;
}

VolumeSpace MeasureVolume(const std::string& path, IFileSystem& fs) {
    VolumeSpace space;
    if (!UsablePath(path)) {
        return space;
    }
    std::string directory = WithoutTrailingSeparators(path);
    while (!StatIsDirectory(directory, fs)) {
        if (directory == "/" || directory == ".") {
            return space;
        }
        directory = ParentDirectory(directory);
    }
    struct statvfs volume {};
    if (fs.Statvfs(directory, volume) != 0) {
        return space;
    }
    // Blocks are counted in f_frsize units; a volume that leaves it 0 counts them in f_bsize.
    const std::uint64_t blockBytes = volume.f_frsize != 0 ? volume.f_frsize : volume.f_bsize;
    if (blockBytes == 0 || volume.f_blocks == 0) {
        return space;
    }
    space.allocationUnit = blockBytes;
    std::uint64_t bytes = 0;
    if (__builtin_mul_overflow(static_cast<std::uint64_t>(volume.f_bavail), blockBytes, &bytes)) {
        bytes = UINT64_MAX;
    }
    space.freeBytes = bytes;
    return space;
}

std::optional<std::uint64_t> FreeSpace(const std::string& path, IFileSystem& fs) {
    return MeasureVolume(path, fs).freeBytes;
}

const std::string& ProgramDirectory() {
    static const std::string directory = FindProgramDirectory();
    return directory;
}

} // namespace FileTransfer
} // namespace ZQ3
