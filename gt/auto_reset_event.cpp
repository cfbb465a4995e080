#include "gt/auto_reset_event.h"

namespace GT {

void CAutoResetEvent::set() {
    {
        std::lock_guard lock(mutex_);
        signalled_ = true;
    }
    condition_.notify_one();
}

void CAutoResetEvent::reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

CAutoResetEvent::WaitResult CAutoResetEvent::wait(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!condition_.wait_for(lock, timeout, [this] { return signalled_; })) {
        return WaitResult::TimedOut;
    }
    signalled_ = false;
    return WaitResult::Signalled;
}

} // namespace GT
