#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace ZQ3 {

// Makes a file durable while it is still being written, on a thread of its own, so that the
// flush that completes the finished file has only the last few megabytes left: the device works
// while the samples are being decoded instead of afterwards, and the decoding never waits for
// it. Asking the system to start the write-out early is not enough: the flush of a large new
// file still waits for its blocks to be allocated and journalled, which here cost half as much
// as writing the data; flushing as the file grows pays that along the way.
//
// The final flush stays the caller's: this class never makes a file complete or durable, it
// only leaves that flush less to do. A flush that fails here is remembered, since the failure
// need not be reported again to a later flush of the same file.
class CWriteBehind {
public:
    // Flushes a descriptor's data as fdatasync does: 0 on success, -1 with errno on failure.
    using Flush = std::function<int(int fd)>;

    // Watches the file at path, which must exist. Where it cannot be opened or the thread cannot
    // start, nothing is flushed here and everything is left to the caller's flush.
    explicit CWriteBehind(const std::string& path, Flush flush = {});
    // Stops at once, waiting only for a flush under way.
    ~CWriteBehind();
    CWriteBehind(const CWriteBehind&) = delete;
    CWriteBehind& operator=(const CWriteBehind&) = delete;

    // Called as the file grows; every few megabytes asks the thread to flush what has been
    // written so far. Requests made while a flush runs are served by one flush after it.
    void push();

    // Stops the thread, waiting for a flush under way. False when a flush failed: some of the
    // data may not have reached the device, whatever a later flush says.
    bool finish();

    // About 8 MiB of 16-bit samples between requests at one push per 4096 samples: few enough
    // flushes that their fixed cost stays small, often enough that the last one leaves little.
    static constexpr int kCallsPerRequest = 1024;

private:
    void flushWhenAsked();

    Flush flush_;
    int fd_ = -1;
    int calls_ = 0;

    std::mutex mutex_;
    std::condition_variable changed_;
    // Guarded by mutex_.
    bool requested_ = false;
    bool stopping_ = false;
    bool failed_ = false;
    std::thread worker_;
};

} // namespace ZQ3
