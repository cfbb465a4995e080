#include "card/file_transfer.h"

#include "app/progress.h"
#include "card/file_transfer_faults.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace ZQ3 {

namespace FileTransferFaults {
namespace {

enum class Mode : int { FailOnce, FailFrom, CountOnly };

std::atomic<bool> armed{false};
std::atomic<unsigned> chosenOperations{0};
std::atomic<int> targetCall{0};
std::atomic<int> mode{0};
std::atomic<int> countedCalls{0};

void Arm(Mode newMode, int n, unsigned operations) {
    armed.store(false);
    countedCalls.store(0);
    chosenOperations.store(operations);
    targetCall.store(n);
    mode.store(static_cast<int>(newMode));
    armed.store(true);
}

// The armed path, out of line so that the unarmed check stays one load and a branch.
[[gnu::noinline]] bool CountCall(Operation operation) {
    if ((chosenOperations.load() & operation) == 0) {
        return false;
    }
    const int call = countedCalls.fetch_add(1) + 1;
    const int target = targetCall.load();
    bool fails = false;
    switch (static_cast<Mode>(mode.load())) {
    case Mode::FailOnce:
        fails = call == target;
        break;
    case Mode::FailFrom:
        fails = call >= target;
        break;
    case Mode::CountOnly:
        break;
    }
    if (fails) {
        errno = EIO;
    }
    return fails;
}

} // namespace

void FailCall(int n, unsigned operations) {
    Arm(Mode::FailOnce, n, operations);
}

void FailFrom(int n, unsigned operations) {
    Arm(Mode::FailFrom, n, operations);
}

void CountOnly(unsigned operations) {
    Arm(Mode::CountOnly, 0, operations);
}

void Clear() {
    armed.store(false);
    countedCalls.store(0);
}

int CountedCalls() {
    return countedCalls.load();
}

} // namespace FileTransferFaults

namespace FileTransfer {
namespace {

using FileTransferFaults::Operation;

inline bool FaultInjected(Operation operation) {
    if (!FileTransferFaults::armed.load(std::memory_order_relaxed)) [[likely]] {
        return false;
    }
    return FileTransferFaults::CountCall(operation);
}

// Large enough that a copy runs at the device's speed, small enough that progress moves and
// Cancel is noticed several times a second even on a slow card.
constexpr std::size_t CopyChunkBytes = 256 * 1024;
constexpr std::int64_t ProgressRange = 1000;
constexpr mode_t AllWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

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

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string ParentDirectory(const std::string& path) {
    const std::string trimmed = WithoutTrailingSeparators(path);
    const std::size_t separator = trimmed.rfind('/');
    if (separator == std::string::npos) {
        return ".";
    }
    if (separator == 0) {
        return "/";
    }
    return WithoutTrailingSeparators(trimmed.substr(0, separator));
}

bool StatIsDirectory(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Closes on every path out of a step; an explicit close reports the error that a network or
// removable file system may only give at that moment.
class CDescriptor {
public:
    explicit CDescriptor(int fd) : fd_(fd) {}
    ~CDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
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
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// EINVAL and EROFS mean that the item cannot be synchronised at all, which is not a failed
// flush: there is nothing held back that could be lost.
bool SyncDescriptor(int fd) {
    if (::fsync(fd) == 0) {
        return true;
    }
    return errno == EINVAL || errno == EROFS;
}

bool SyncDirectoryEntries(const std::string& directory) {
    CDescriptor fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.isOpen()) {
        return false;
    }
    return SyncDescriptor(fd.get()) && fd.close();
}

// Pushes a just-written range to the device and waits for it, so that the progress of a
// flushed copy follows the device rather than the cache and the final flush has little left.
bool WriteThrough(int fd, std::int64_t offset, std::int64_t length) {
    if (::sync_file_range(fd, offset, length,
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                              SYNC_FILE_RANGE_WAIT_AFTER) == 0) {
        return true;
    }
    // File systems without range syncing get everything flushed at the end instead.
    return errno == EINVAL || errno == ESPIPE || errno == ENOSYS || errno == EOPNOTSUPP;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
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

ssize_t ReadSome(int fd, char* data, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd, data, size);
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
void RemoveIncompleteCopy(const std::string& destination, const struct stat& written) {
    const int failure = errno;
    struct stat status {};
    if (::stat(destination.c_str(), &status) == 0 && SameFile(status, written)) {
        ::unlink(destination.c_str());
    }
    errno = failure;
}

bool CopyFile(const std::string& source, const std::string& destination, UL::IProgress* progress,
              Flush flush, bool unlock) {
    if (!UsablePath(source) || !UsablePath(destination)) {
        return false;
    }
    CDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.isOpen()) {
        return false;
    }
    struct stat sourceStatus {};
    if (::fstat(in.get(), &sourceStatus) != 0) {
        return false;
    }
    if (!S_ISREG(sourceStatus.st_mode)) {
        errno = S_ISDIR(sourceStatus.st_mode) ? EISDIR : EINVAL;
        return false;
    }

    // Not truncated on opening: the destination may turn out to be the source itself.
    // Non-blocking so that a FIFO at the destination fails instead of waiting for a reader.
    CDescriptor out(::open(destination.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK,
                           sourceStatus.st_mode & ACCESSPERMS));
    if (!out.isOpen()) {
        return false;
    }
    struct stat written {};
    if (::fstat(out.get(), &written) != 0) {
        return false;
    }
    if (SameFile(written, sourceStatus)) {
        errno = EINVAL;
        return false;
    }
    if (!S_ISREG(written.st_mode)) {
        errno = EINVAL;
        return false;
    }

    const auto fail = [&]() {
        RemoveIncompleteCopy(destination, written);
        return false;
    };

    const int flags = ::fcntl(out.get(), F_GETFL);
    if (flags < 0 || ::fcntl(out.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return fail();
    }
    if (written.st_size > 0 && ::ftruncate(out.get(), 0) != 0) {
        return fail();
    }

    if (progress != nullptr) {
        progress->setRange(ProgressRange);
        progress->setPosition(0);
    }
    const std::int64_t total = sourceStatus.st_size;
    std::vector<char> buffer(CopyChunkBytes);
    std::int64_t transferred = 0;
    std::int64_t position = 0;
    for (;;) {
        if (progress != nullptr && progress->isCancelled()) {
            errno = ECANCELED;
            return fail();
        }
        const ssize_t got = ReadSome(in.get(), buffer.data(), buffer.size());
        if (got < 0) {
            return fail();
        }
        if (got == 0) {
            break;
        }
        if (!WriteAll(out.get(), buffer.data(), static_cast<std::size_t>(got))) {
            return fail();
        }
        if (flush == Flush::ToDevice && !WriteThrough(out.get(), transferred, got)) {
            return fail();
        }
        transferred += got;
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
        // The copy is usable even where the file system keeps no modes (a FAT card ignores
        // them, apart from the read-only flag that a write bit clears), so this may fail.
        (void)::fchmod(out.get(), (written.st_mode & ACCESSPERMS) | AllWriteBits);
    }
    if (flush == Flush::ToDevice && !SyncDescriptor(out.get())) {
        return fail();
    }
    if (!out.close()) {
        return fail();
    }
    // A new file's name lives in its directory, which must reach the device too.
    if (flush == Flush::ToDevice && !SyncDirectoryEntries(ParentDirectory(destination))) {
        return fail();
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

bool Exists(const std::string& path) {
    if (FaultInjected(Operation::Exists) || !IsAbsolutePath(path)) {
        return false;
    }
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        return false;
    }
    // A link whose target is missing still occupies the name: a command that clears a name
    // before it writes there must remove the link rather than write through it.
    if (S_ISLNK(status.st_mode) && ::stat(path.c_str(), &status) != 0) {
        return true;
    }
    return !S_ISDIR(status.st_mode);
}

bool DirectoryExists(const std::string& path) {
    if (FaultInjected(Operation::DirectoryExists) || !IsAbsolutePath(path)) {
        return false;
    }
    return StatIsDirectory(path);
}

bool Remove(const std::string& path) {
    if (FaultInjected(Operation::Remove) || !UsablePath(path)) {
        return false;
    }
    return ::unlink(path.c_str()) == 0;
}

bool Rename(const std::string& oldPath, const std::string& newPath) {
    if (FaultInjected(Operation::Rename) || !UsablePath(oldPath) || !UsablePath(newPath)) {
        return false;
    }
    if (::renameat2(AT_FDCWD, oldPath.c_str(), AT_FDCWD, newPath.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        return false;
    }
    // The file system cannot refuse an existing name while renaming; a hard link refuses it
    // just as atomically. Where neither exists the move fails rather than risk a replacement.
    if (::link(oldPath.c_str(), newPath.c_str()) != 0) {
        return false;
    }
    if (::unlink(oldPath.c_str()) != 0) {
        const int failure = errno;
        ::unlink(newPath.c_str());
        errno = failure;
        return false;
    }
    return true;
}

bool Replace(const std::string& temporaryPath, const std::string& destination) {
    if (FaultInjected(Operation::Replace) || !UsablePath(temporaryPath) ||
        !UsablePath(destination)) {
        return false;
    }
    {
        // The new data must be on the device before the old file gives up its name, or a crash
        // could leave the destination empty.
        CDescriptor temporary(::open(temporaryPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (!temporary.isOpen()) {
            return false;
        }
        struct stat status {};
        if (::fstat(temporary.get(), &status) != 0) {
            return false;
        }
        if (S_ISDIR(status.st_mode)) {
            errno = EISDIR;
            return false;
        }
        if (!SyncDescriptor(temporary.get()) || !temporary.close()) {
            return false;
        }
    }
    if (::rename(temporaryPath.c_str(), destination.c_str()) != 0) {
        return false;
    }
    return SyncDirectoryEntries(ParentDirectory(destination));
}

bool CopyAndUnlock(const std::string& source, const std::string& destination, Flush flush) {
    if (FaultInjected(Operation::CopyAndUnlock)) {
        return false;
    }
    return CopyFile(source, destination, nullptr, flush, true);
}

bool CopyWithProgress(const std::string& source, const std::string& destination,
                      UL::IProgress& progress, Flush flush) {
    if (FaultInjected(Operation::CopyWithProgress)) {
        return false;
    }
    return CopyFile(source, destination, &progress, flush, false);
}

bool SyncDirectory(const std::string& directory) {
    if (FaultInjected(Operation::SyncDirectory) || !UsablePath(directory)) {
        return false;
    }
    return SyncDirectoryEntries(directory);
}

bool SyncContainingDirectory(const std::string& path) {
    if (FaultInjected(Operation::SyncDirectory) || !UsablePath(path)) {
        return false;
    }
    return SyncDirectoryEntries(ParentDirectory(path));
}

bool WritableDestination(const std::string& path) {
    if (FaultInjected(Operation::WritableDestination) || !IsAbsolutePath(path) ||
        path.back() == '/') {
        return false;
    }
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        // Only a name that leads nowhere is free; a path that cannot be examined is not.
        return errno == ENOENT;
    }
    return !S_ISDIR(status.st_mode) && (status.st_mode & AllWriteBits) != 0;
}

std::string TemporaryDirectory() {
    const char* configured = std::getenv("TMPDIR");
    if (configured != nullptr && IsAbsolutePath(configured)) {
        const std::string directory = WithoutTrailingSeparators(configured);
        if (StatIsDirectory(directory)) {
            return directory;
        }
    }
    if (StatIsDirectory("/tmp")) {
        return "/tmp";
    }
    return ProgramDirectory();
}

bool FreeSpace(const std::string& path, std::uint64_t& bytes) {
    if (FaultInjected(Operation::FreeSpace) || !UsablePath(path)) {
        return false;
    }
    std::string directory = WithoutTrailingSeparators(path);
    while (!StatIsDirectory(directory)) {
        if (directory == "/" || directory == ".") {
            return false;
        }
        directory = ParentDirectory(directory);
    }
    struct statvfs volume {};
    if (::statvfs(directory.c_str(), &volume) != 0) {
        return false;
    }
    const std::uint64_t blockBytes = volume.f_frsize != 0 ? volume.f_frsize : volume.f_bsize;
    if (__builtin_mul_overflow(static_cast<std::uint64_t>(volume.f_bavail), blockBytes, &bytes)) {
        bytes = UINT64_MAX;
    }
    return true;
}

const std::string& ProgramDirectory() {
    static const std::string directory = FindProgramDirectory();
    return directory;
}

} // namespace FileTransfer
} // namespace ZQ3
