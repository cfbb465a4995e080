#include "cli/interrupt.h"

#include <atomic>
#include <csignal>

namespace ZQ3 {
namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void OnInterrupt(int) {
    interrupted.store(true, std::memory_order_relaxed);
}

} // namespace

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a call that blocks (the read of an answer at a question, a wait) must
    // return with EINTR, or the key would do nothing until the call ended by itself, if ever.
    // Reads and writes that must complete, such as file copies, retry on EINTR themselves.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool InterruptRequested() {
    return interrupted.load(std::memory_order_relaxed);
}

void ClearInterrupt() {
    interrupted.store(false, std::memory_order_relaxed);
}

} // namespace ZQ3
