#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <ostream>
#include <span>
#include <streambuf>
#include <string>
#include <thread>

namespace ZQ3 {

// A new file written on a thread of its own and made durable as it grows on another. The
// decoding thread only puts its bytes into a block (or decodes straight into it, see fillable)
// and goes on with the next one while the last one is written out; one thread writes each block at
// its place and, every few megabytes, asks the other to flush what has been written, which it does
// while the writing goes on. So the flush that completes the finished file has only the last
// megabytes left. Asking the system to start the write-out early is not enough: the flush of a
// large new file still waits for its blocks to be allocated and journalled, which here cost half as
// much as writing the data; flushing as the file grows pays that along the way.
//
// The final flush stays the caller's: this stream never makes a file complete or durable, it
// only leaves that flush less to do. A write or flush that fails makes the stream fail; a flush
// failure is remembered, since it need not be reported again to a later flush of the same file.
class CWriteBehindBuffer : public std::streambuf {
public:
    // Flushes a descriptor's data as fdatasync does: 0 on success, -1 with errno on failure.
    using Flush = std::function<int(int fd)>;

    // Bytes handed to the thread at a time, and how many such blocks may wait for it.
    static constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
    static constexpr std::size_t kBlocks = 4;
    // Bytes written between the thread's flushes: few enough flushes that their fixed cost stays
    // small, often enough that the last one leaves little.
    static constexpr std::int64_t kBytesPerFlush = std::int64_t{8} << 20;

    // Takes the descriptor, open for writing; -1, or a thread that cannot start, gives a buffer
    // on which everything fails.
    CWriteBehindBuffer(int descriptor, Flush flush = {});
    // Drops the bytes not yet handed over (a file left unclosed is discarded), stops the threads
    // once the rest is written, and closes the descriptor.
    ~CWriteBehindBuffer() override;
    CWriteBehindBuffer(const CWriteBehindBuffer&) = delete;
    CWriteBehindBuffer& operator=(const CWriteBehindBuffer&) = delete;

    // Writes everything, stops the threads and closes the descriptor. False when any write, flush
    // or the close failed, or nothing was open.
    bool close();

    // The rest of the block being filled, for a producer to fill in place rather than copy into
    // it: at least `minimum` bytes (at most kBlockBytes), the full block being handed over first
    // when less is left. Its start lies as many bytes into a block as have been put into it, so
    // a producer that only ever puts whole values keeps it aligned for them. Empty after a
    // failure or when minimum is larger than a block.
    std::span<char> fillable(std::size_t minimum);
    // Counts the first `count` bytes of the last fillable() as put; count must not exceed it.
    void commit(std::size_t count);

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* data, std::streamsize count) override;
    // Waits until every byte handed over is written (not flushed); -1 after a failure.
    int sync() override;
    pos_type seekoff(off_type offset, std::ios::seekdir direction,
                     std::ios::openmode which) override;
    pos_type seekpos(pos_type position, std::ios::openmode which) override;

private:
    // Bytes for the file at offset. The filling thread owns a block until it hands it over; the
    // writing thread then owns it until it gives it back. The counters below order the two.
    struct CBlock {
        char* bytes = nullptr;
        std::int64_t offset = 0;
        std::size_t size = 0;
    };

    // Hands the bytes put so far to the thread and starts on a free block; false after a failure.
    bool handOver();
    void writeBlocks();
    void flushWhenAsked();
    bool writeBlock(const CBlock& block);
    void stop();
    bool allocateBlocks();
    void releaseBlocks();

    const Flush flush_;
    int descriptor_;
    // The file offset of the current block's first byte, and the end of the bytes put so far
    // (filling thread only).
    std::int64_t position_ = 0;
    std::int64_t end_ = 0;
    bool closed_ = false;

    std::array<CBlock, kBlocks> blocks_;
    std::mutex mutex_;
    std::condition_variable changed_;
    // Guarded by mutex_: blocks handed over, blocks written (or skipped after a failure), the
    // request to stop, and whether a write or flush failed.
    std::size_t produced_ = 0;
    std::size_t consumed_ = 0;
    bool stopping_ = false;
    bool failed_ = false;
    bool flushRequested_ = false;
    std::thread worker_;
    std::thread flusher_;
};

// An ostream over a CWriteBehindBuffer.
class CWriteBehindStream : public std::ostream {
public:
    explicit CWriteBehindStream(int descriptor, CWriteBehindBuffer::Flush flush = {});

    // Writes everything and closes the file; false when anything written was lost.
    bool close();

    // The in-place filling of CWriteBehindBuffer; no room after a failure sets the bad bit, as
    // a failed write does.
    std::span<char> fillable(std::size_t minimum);
    void commit(std::size_t count) { buffer_.commit(count); }

private:
    CWriteBehindBuffer buffer_;
};

// Creates path new (never through a link, never over an existing name) for a write-behind
// stream; nullptr when it cannot.
std::shared_ptr<CWriteBehindStream> CreateWriteBehindFile(const std::string& path);

} // namespace ZQ3
