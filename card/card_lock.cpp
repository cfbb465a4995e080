#include "card/card_lock.h"

#include "card/card_layout.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>

namespace ZQ3 {
namespace {

// Short enough that a freed card is taken at once as a person sees it, long enough to cost
// nothing while a long import runs.
constexpr auto PollInterval = std::chrono::milliseconds(50);

} // namespace

CCardLock::Result CCardLock::acquire(const std::string& root, const CardLockWaiting& waiting) {
    release();
    const int fd = fs_.Open(CardLayout::CardDirectory(root), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
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
