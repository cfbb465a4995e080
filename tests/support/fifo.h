#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <future>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace ZQ3::Fixture {

// Makes a FIFO at path; false when it cannot. An ordinary open of it for reading blocks until a
// writer comes, which is what a file given to the converter must never make it do.
inline bool MakeFifo(const std::string& path) {
    return ::mkfifo(path.c_str(), 0600) == 0;
}

// Runs action, which may open the FIFO at fifo, and answers whether it came back within a
// generous deadline. An action that hangs is released by opening the FIFO's other end, so that
// the fault fails the test instead of stalling the whole run; one that cannot be released ends
// the test program.
template <typename Action>
bool ReturnsPromptly(const std::string& fifo, Action action) {
    std::future<void> done = std::async(std::launch::async, std::move(action));
    if (done.wait_for(std::chrono::seconds(10)) == std::future_status::ready) {
        done.get();
        return true;
    }
    for (int attempt = 0; attempt < 50; ++attempt) {
        // A reader blocked in open waits for a writer; a writer that closes at once then gives
        // it the end of the file.
        const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (writer >= 0) {
            ::close(writer);
        }
        if (done.wait_for(std::chrono::milliseconds(100)) == std::future_status::ready) {
            return false;
        }
    }
    std::fprintf(stderr, "still blocked on the FIFO %s\n", fifo.c_str());
    std::_Exit(1);
}

} // namespace ZQ3::Fixture
