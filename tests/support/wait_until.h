#pragma once

#include <chrono>
#include <thread>

namespace ZQ3::Fixture {

// How long a test waits for another thread or process to get somewhere. A wait ends as soon as
// its condition holds, so the deadline costs nothing when all is well; it only has to be long
// enough that a sanitizer build on a machine busy with other work never runs into it.
inline constexpr std::chrono::seconds kGenerousDeadline{30};

// Polls the condition until it holds or the deadline has passed; returns whether it held.
// Tests wait for the event itself rather than sleeping for a time it usually takes.
template <typename Condition>
bool WaitUntil(Condition condition,
               std::chrono::steady_clock::duration deadline = kGenerousDeadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            // One last look: the thread may have got there while this one was not running.
            return condition();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace ZQ3::Fixture
