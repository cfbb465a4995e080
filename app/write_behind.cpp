#include "app/write_behind.h"

#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace ZQ3 {

CWriteBehind::CWriteBehind(const std::string& path, Flush flush)
    : flush_(flush ? std::move(flush) : Flush([](int fd) { return ::fdatasync(fd); })),
      fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW)) {
    if (fd_ < 0) {
        return;
    }
    try {
        worker_ = std::thread([this] { flushWhenAsked(); });
    } catch (const std::system_error&) {
        // Without the thread, the caller's own flush does all the work, as before.
    }
}

CWriteBehind::~CWriteBehind() {
    finish();
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void CWriteBehind::push() {
    if (!worker_.joinable() || ++calls_ < kCallsPerRequest) {
        return;
    }
    calls_ = 0;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        requested_ = true;
    }
    changed_.notify_one();
}

bool CWriteBehind::finish() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_one();
    if (worker_.joinable()) {
        worker_.join();
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    return !failed_;
}

void CWriteBehind::flushWhenAsked() {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || requested_; });
            if (stopping_) {
                return;
            }
            requested_ = false;
        }
        // Only the caller's thread writes the file; the descriptor is this class's own, so the
        // flush needs no lock and the writing goes on meanwhile.
        const bool flushed = flush_(fd_) == 0 || errno == EINVAL || errno == EROFS;
        if (!flushed) {
            const std::lock_guard<std::mutex> lock(mutex_);
            failed_ = true;
            return;
        }
    }
}

} // namespace ZQ3
