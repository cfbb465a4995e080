#pragma once

#include "card/file_system.h"

#include <chrono>
#include <functional>
#include <string>

namespace ZQ3 {

// How a converter waits for a card that another converter is changing.
struct CardLockWaiting {
    // Called once, when the card turns out to be taken, before the wait begins.
    std::function<void()> onWait;
    // Asked while waiting; true ends the wait as cancelled.
    std::function<bool()> isCancelled;
    std::chrono::milliseconds timeout{std::chrono::seconds(60)};
};

// The exclusive right to change one card, shared by every converter on this computer: a lock
// on the card's own directory, so that no extra file is left on the card. The operating system
// drops it when its holder ends in any way, a crash included.
class CCardLock {
public:
    enum class Result { Locked, Busy, Cancelled, Failed };

    explicit CCardLock(IFileSystem& fs = PosixFileSystem()) : fs_(fs) {}
    ~CCardLock() { release(); }
    CCardLock(const CCardLock&) = delete;
    CCardLock& operator=(const CCardLock&) = delete;

    // Takes the lock of the card at root, waiting as waiting says while another holder has it.
    // Failed when the card has no converter directory, when it or its KELDRA folder is a
    // symbolic link (a lock and changes that would land on another folder), or when the lock
    // cannot be taken at all.
    Result acquire(const std::string& root, const CardLockWaiting& waiting = {});
    void release();

    bool isHeld() const { return fd_ >= 0; }
    // The root of the card held; empty when none is.
    const std::string& root() const { return root_; }

private:
    IFileSystem& fs_;
    int fd_ = -1;
    std::string root_;
};

} // namespace ZQ3
