#include "gt/thread.h"

#include <pthread.h>
#include <sched.h>

#include <system_error>

namespace GT {

CThread::~CThread() {
    if (!thread_.joinable()) {
        return;
    }
    // A runnable that drops the last reference to its own thread object cannot wait for
    // itself; the thread is then finishing anyway, so it is let go.
    if (thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();
    } else {
        thread_.join();
    }
}

bool CThread::start() {
    if (thread_.joinable()) {
        return false;
    }
    running_.store(true, std::memory_order_release);
    try {
        thread_ = std::thread(&CThread::procedure, this);
    } catch (const std::system_error&) {
        running_.store(false, std::memory_order_release);
        return false;
    }
    return true;
}

bool CThread::isCurrentThread() const {
    return id_.load(std::memory_order_acquire) == std::this_thread::get_id();
}

void CThread::procedure() {
    id_.store(std::this_thread::get_id(), std::memory_order_release);
    applyPriorityToCurrentThread(priority_);
    run();
    running_.store(false, std::memory_order_release);
}

void CThread::applyPriorityToCurrentThread(int priority) {
    if (priority < TimeCriticalPriority) {
        return;
    }
    // Round-robin rather than FIFO so that two of our real-time threads on one core still
    // take turns; a middle priority leaves room above for the system's own audio threads.
    const int policy = SCHED_RR;
    const int low = sched_get_priority_min(policy);
    const int high = sched_get_priority_max(policy);
    if (low < 0 || high < low) {
        return;
    }
    sched_param parameter{};
    parameter.sched_priority = low + (high - low) / 2;
    // Refused without the privilege: the thread simply keeps its normal priority.
    (void)pthread_setschedparam(pthread_self(), policy, &parameter);
}

} // namespace GT
