#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace SL {

// The storage of a ring and its two offsets, shared by the ring and the iterators made on it
// so that an iterator stays usable however long it lives. The producer moves only the write
// offset and the consumer only the read offset; each publishes its offset with release after
// the bytes it covers are written or read, and reads the other's with acquire, so neither
// ever touches bytes the other still owns. One frame always stays free, which tells a full
// ring from an empty one.
class CRingSampleState {
public:
    CRingSampleState(std::size_t frameBytes, std::size_t capacityFrames)
        : storage_(frameBytes * (capacityFrames + 1)), frameBytes_(frameBytes) {}

    std::uint8_t* GetStart() { return storage_.data(); }
    std::size_t GetSize() const { return storage_.size(); }
    std::size_t GetFrameBytes() const { return frameBytes_; }
    std::atomic<std::size_t>& GetReadOffset() { return read_; }
    std::atomic<std::size_t>& GetWriteOffset() { return write_; }

    std::size_t GetReadableBytes() const {
        const std::size_t size = storage_.size();
        if (size == 0) {
            return 0;
        }
        const std::size_t write = write_.load(std::memory_order_acquire);
        const std::size_t read = read_.load(std::memory_order_acquire);
        return (write + size - read) % size;
    }
    std::size_t GetWritableBytes() const {
        const std::size_t size = storage_.size();
        if (size == 0) {
            return 0;
        }
        const std::size_t read = read_.load(std::memory_order_acquire);
        const std::size_t write = write_.load(std::memory_order_acquire);
        return (read + 2 * size - write - frameBytes_) % size;
    }

private:
    std::vector<std::uint8_t> storage_;
    std::size_t frameBytes_;
    std::atomic<std::size_t> read_{0};
    std::atomic<std::size_t> write_{0};
};

} // namespace SL
