#include "app/card_initialisation.h"

#include "app/localized_text.h"
#include "card/card_layout.h"
#include "card/file_transfer.h"
#include "card/sample_information_dto.h"
#include "card/temporary_names.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace ZQ3 {
namespace {

using Problem = CardInitialisation::Problem;

// What a created file may be opened with at most; the umask takes its share.
constexpr mode_t NewFileMode = S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH;

CardInitialisation Refused(Problem problem, const std::string& path, int error = 0) {
    CardInitialisation result;
    result.problem = problem;
    result.path = path;
    result.error = error;
    return result;
}

// Whether something, a dangling link included, is at path; errno tells when it cannot be said.
bool Occupied(IFileSystem& fs, const std::string& path, bool& unknown) {
    struct stat status {};
    if (fs.Lstat(path, status) == 0) {
        unknown = false;
        return true;
    }
    unknown = errno != ENOENT;
    return false;
}

// Makes directory unless it is there; a link or anything else in its place is refused, since
// nothing on a card is reached through a link.
bool MakeFolder(IFileSystem& fs, const std::string& directory, int& error) {
    if (::mkdir(directory.c_str(), 0777) != 0 && errno != EEXIST) {
        error = errno;
        return false;
    }
    struct stat status {};
    if (fs.Lstat(directory, status) != 0) {
        error = errno;
        return false;
    }
    if (!S_ISDIR(status.st_mode)) {
        error = ENOTDIR;
        return false;
    }
    return true;
}

// Makes path and every folder missing on its way to it, as `mkdir -p` does, noting each one
// made in made. A link on the way is followed there, as the user's own path may hold one; the
// card's own folders below it are never reached through one.
bool MakeFolders(IFileSystem& fs, const std::string& path, std::vector<std::string>& made,
                 int& error) {
    std::size_t end = path.find('/', 1);
    while (true) {
        const std::string folder = path.substr(0, end);
        struct stat status {};
        if (!folder.empty() && fs.Stat(folder, status) != 0) {
            if (::mkdir(folder.c_str(), 0777) == 0) {
                made.push_back(folder);
            } else if (errno != EEXIST) {
                error = errno;
                return false;
            }
        }
        if (end == std::string::npos) {
            return true;
        }
        end = path.find('/', end + 1);
    }
}

std::string EmptyCardBytes() {
    auto dto = CSampleInformationDto::FromEntries(std::vector<SampleEntry>(CardLayout::SlotCount));
    std::ostringstream bytes;
    if (!dto || !dto->Write(bytes)) {
        return {};
    }
    return bytes.str();
}

bool WriteAll(IFileSystem& fs, int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = fs.Write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// Writes bytes into a new file at path and flushes them to the device; a failed write leaves
// no file behind.
bool WriteNewFile(IFileSystem& fs, const std::string& path, const std::string& bytes) {
    const int fd = fs.Open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, NewFileMode);
    if (fd < 0) {
        return false;
    }
    errno = EIO;
    bool written = !bytes.empty() && WriteAll(fs, fd, bytes) && fs.Fsync(fd) == 0;
    int failure = errno;
    // A removable card may report a failed write only when the file is closed.
    if (fs.Close(fd) != 0 && written) {
        written = false;
        failure = errno;
    }
    if (written) {
        return true;
    }
    fs.Unlink(path);
    errno = failure;
    return false;
}

// Moves the written file to the free name of the information file. Where the file system can
// refuse an existing name in the rename itself, it does; where it cannot (FUSE file systems
// such as exFAT's answer EINVAL), the caller's card lock keeps every converter from making the
// file between the check just before and the plain rename.
bool MoveIntoFreeName(IFileSystem& fs, const std::string& from, const std::string& to) {
    if (fs.Rename(from, to, RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        return false;
    }
    bool unknown = false;
    if (Occupied(fs, to, unknown) || unknown) {
        errno = unknown ? errno : EEXIST;
        return false;
    }
    return fs.Rename(from, to, 0) == 0;
}

} // namespace

std::string CardInitialisation::text() const {
    const std::string reason = std::strerror(error);
    switch (problem) {
    case Problem::None:
        return {};
    case Problem::NoSuchFolder:
        return Localized("{0}: there is no such folder.", {path});
    case Problem::AlreadyACard:
        return Localized("{0}: a sample-information file is already there; nothing was changed.",
                         {path});
    case Problem::CannotMakeFolder:
        return Localized("{0}: the folder cannot be made ({1}).", {path, reason});
    case Problem::Busy:
        return Localized("{0}: another converter is changing this card; nothing was changed.",
                         {path});
    case Problem::InTheWay:
        return Localized("{0}: something that is not a file the converter made is in the way; "
                         "remove it and try again.",
                         {path});
    case Problem::CannotWrite:
        return Localized("{0}: the file cannot be made ({1}).", {path, reason});
    }
    return {};
}

CardInitialisation InitialiseCard(const std::string& root, const CardLockWaiting& waiting,
                                  IFileSystem& fs) {
    struct stat status {};
    std::vector<std::string> madeFolders;
    if (fs.Stat(root, status) != 0 && errno == ENOENT) {
        int error = 0;
        if (!MakeFolders(fs, root, madeFolders, error)) {
            CardInitialisation refused = Refused(Problem::CannotMakeFolder, root, error);
            refused.madeFolders = std::move(madeFolders);
            return refused;
        }
    }
    if (fs.Stat(root, status) != 0 || !S_ISDIR(status.st_mode)) {
        return Refused(Problem::NoSuchFolder, root);
    }
    const std::string directory = CardLayout::CardDirectory(root);
    const std::string information = CardLayout::InformationFilePath(root);
    bool unknown = false;
    if (Occupied(fs, information, unknown)) {
        return Refused(Problem::AlreadyACard, information);
    }
    int error = 0;
    const std::string keldra = root + "/KELDRA";
    for (const std::string& folder : {keldra, directory.substr(0, directory.size() - 1)}) {
        if (!MakeFolder(fs, folder, error)) {
            return Refused(Problem::CannotMakeFolder, folder, error);
        }
    }

    CCardLock lock(fs);
    switch (lock.acquire(root, waiting)) {
    case CCardLock::Result::Locked:
        break;
    case CCardLock::Result::Busy:
    case CCardLock::Result::Cancelled:
        return Refused(Problem::Busy, root);
    case CCardLock::Result::Failed:
        return Refused(Problem::CannotMakeFolder, directory, errno);
    }
    // Another converter may have prepared the card while this one waited.
    if (Occupied(fs, information, unknown)) {
        return Refused(Problem::AlreadyACard, information);
    }
    if (unknown) {
        return Refused(Problem::CannotWrite, information, errno);
    }
    // Under the lock a file at the temporary name is what an interrupted converter left.
    const std::string temporary = directory + TemporaryNames::SampleInformationFile;
    if (fs.Lstat(temporary, status) == 0) {
        if (!S_ISREG(status.st_mode) || fs.Unlink(temporary) != 0) {
            return Refused(Problem::InTheWay, temporary);
        }
    }
    if (!WriteNewFile(fs, temporary, EmptyCardBytes())) {
        return Refused(Problem::CannotWrite, temporary, errno);
    }
    if (!MoveIntoFreeName(fs, temporary, information)) {
        const int failure = errno;
        fs.Unlink(temporary);
        return Refused(failure == EEXIST ? Problem::AlreadyACard : Problem::CannotWrite,
                       information, failure);
    }
    // The new name must survive the card being pulled out.
    if (!FileTransfer::SyncDirectory(directory.substr(0, directory.size() - 1), fs)) {
        return Refused(Problem::CannotWrite, information, errno);
    }
    CardInitialisation done;
    done.path = information;
    done.madeFolders = std::move(madeFolders);
    return done;
}

} // namespace ZQ3
