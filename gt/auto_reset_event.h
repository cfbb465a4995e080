#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace GT {

// An event that one waiter consumes: set() wakes one wait, which clears the event again.
// Signals do not accumulate; a set() with nobody waiting is kept for the next wait.
class CAutoResetEvent {
public:
    enum class WaitResult { Signalled, TimedOut };

    void set();
    void reset();
    WaitResult wait(std::chrono::milliseconds timeout);

private:
    std::mutex mutex_;
    std::condition_variable condition_;
    bool signalled_ = false;
};

} // namespace GT
