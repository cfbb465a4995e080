#pragma once

#include <string>

namespace ZQ3 {

// Starts writing a file's data to its device while the file is still being written, so that the
// flush that makes the finished file durable has little left to wait for: the device works while
// the samples are being decoded instead of afterwards. Only a hint to the system; it never fails
// the work, and where the file cannot be opened it does nothing.
class CWriteBehind {
public:
    explicit CWriteBehind(const std::string& path);
    ~CWriteBehind();
    CWriteBehind(const CWriteBehind&) = delete;
    CWriteBehind& operator=(const CWriteBehind&) = delete;

    // Called as the file grows; hands what has been written so far to the device once every
    // few calls.
    void push();

private:
    // About 2 MiB of 16-bit samples between pushes at one push per 4096 samples.
    static constexpr int kCallsPerPush = 256;

    int fd_ = -1;
    int calls_ = 0;
};

} // namespace ZQ3
