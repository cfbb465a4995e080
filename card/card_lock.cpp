#include "card/card_lock.h"

#include "card/card_layout.h"
#include "card/path_names.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>

namespace ZQ3 {
namespace {

// Short enough that a freed card is taken at once as a person sees it, long enough to cost
// nothing while a long import runs.
constexpr auto PollInterval = std::chrono::milliseconds(50);

// Opens the card's converter folder, which must be the folder KELDRA/ZQ314 itself below root:
// neither it nor KELDRA may be a symbolic link, so that every change and every lock stays on
// this card. The paths the commands use afterwards must lead to the folder opened. -1 with errno
// set (ELOOP for a link) when it is not so.
int OpenConverterFolder(const std::string& root, IFileSystem& fs) {
    // Without the trailing "/", which would make the system follow a link at the last part.
    const std::string folder =
        PathNames::WithoutTrailingSeparators(CardLayout::CardDirectory(root));
    struct stat parent {};
    if (fs.Lstat(PathNames::ParentDirectory(folder), parent) != 0) {
        return -1;
    }
    if (!S_ISDIR(parent.st_mode)) {
        errno = S_ISLNK(parent.st_mode) ? ELOOP : ENOTDIR;
        return -1;
    }
    const int fd = fs.Open(folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, 0);
    if (fd < 0) {
        // A link at the last part fails with ELOOP or, asked for a directory, ENOTDIR.
        return -1;
    }
    struct stat opened {};
    struct stat named {};
    if (fs.Fstat(fd, opened) != 0 || fs.Stat(CardLayout::CardDirectory(root), named) != 0 ||
        opened.st_dev != named.st_dev || opened.st_ino != named.st_ino) {
        // The folder was replaced between the steps.
        fs.Close(fd);
        errno = ELOOP;
        return -1;
    }
    return fd;
}

} // namespace

CCardLock::Result CCardLock::acquire(const std::string& root, const CardLockWaiting& waiting) {
    release();
    const int fd = OpenConverterFolder(root, fs_);
    if (fd < 0) {
        return Result::Failed;
    }
    const auto take = [&] {
        // A signal during the call is no reason to give up; the loop asks again.
        return fs_.Flock(fd, LOCK_EX | LOCK_NB) == 0;
    };
    bool locked = take();
    if (!locked && errno != EWOULDBLOCK && errno != EINTR) {
        fs_.Close(fd);
        return Result::Failed;
    }
    if (!locked) {
        if (waiting.onWait) {
            waiting.onWait();
        }
        const auto deadline = std::chrono::steady_clock::now() + waiting.timeout;
        while (!locked) {
            if (waiting.isCancelled && waiting.isCancelled()) {
                fs_.Close(fd);
                return Result::Cancelled;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                fs_.Close(fd);
                return Result::Busy;
            }
            std::this_thread::sleep_for(PollInterval);
            locked = take();
            if (!locked && errno != EWOULDBLOCK && errno != EINTR) {
                fs_.Close(fd);
                return Result::Failed;
            }
        }
    }
    fd_ = fd;
    root_ = root;
    return Result::Locked;
}

void CCardLock::release() {
    if (fd_ >= 0) {
        // Closing the directory drops the lock with it.
        fs_.Close(fd_);
        fd_ = -1;
    }
    root_.clear();
}

} // namespace ZQ3
