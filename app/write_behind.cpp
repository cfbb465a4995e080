#include "app/write_behind.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/mman.h>
#include <system_error>
#include <unistd.h>

namespace ZQ3 {
namespace {

using Traits = std::char_traits<char>;

const std::streambuf::pos_type Failed = std::streambuf::pos_type(std::streambuf::off_type(-1));

int DataSync(int descriptor) {
    return ::fdatasync(descriptor);
}

} // namespace

CWriteBehindBuffer::CWriteBehindBuffer(int descriptor, Flush flush)
    : flush_(flush ? std::move(flush) : Flush(DataSync)), descriptor_(descriptor) {
    if (descriptor_ < 0) {
        return;
    }
    if (!allocateBlocks()) {
        ::close(descriptor_);
        descriptor_ = -1;
        return;
    }
    try {
        worker_ = std::thread([this] { writeBlocks(); });
        flusher_ = std::thread([this] { flushWhenAsked(); });
    } catch (const std::system_error&) {
        stop();
        ::close(descriptor_);
        descriptor_ = -1;
        return;
    }
    setp(blocks_[0].bytes, blocks_[0].bytes + kBlockBytes);
}

CWriteBehindBuffer::~CWriteBehindBuffer() {
    stop();
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
    releaseBlocks();
}

bool CWriteBehindBuffer::allocateBlocks() {
    // All blocks in one mapping whose pages the system provides at once: touched for the first
    // time one page at a time, as a fresh allocation is, the 4 MiB took a thousand page faults,
    // which on a virtual machine cost as much as a tenth of the whole export.
    void* memory = ::mmap(nullptr, kBlocks * kBlockBytes, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (memory == MAP_FAILED) {
        return false;
    }
    char* bytes = static_cast<char*>(memory);
    for (std::size_t i = 0; i < kBlocks; ++i) {
        blocks_[i].bytes = bytes + i * kBlockBytes;
    }
    return true;
}

void CWriteBehindBuffer::releaseBlocks() {
    if (blocks_[0].bytes != nullptr) {
        ::munmap(blocks_[0].bytes, kBlocks * kBlockBytes);
        for (CBlock& block : blocks_) {
            block.bytes = nullptr;
        }
    }
}

void CWriteBehindBuffer::stop() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
    if (flusher_.joinable()) {
        flusher_.join();
    }
}

bool CWriteBehindBuffer::close() {
    if (descriptor_ < 0 || closed_) {
        return false;
    }
    const bool written = sync() == 0;
    closed_ = true;
    stop();
    const bool closedWell = ::close(descriptor_) == 0;
    descriptor_ = -1;
    setp(nullptr, nullptr);
    return written && closedWell;
}

bool CWriteBehindBuffer::handOver() {
    if (descriptor_ < 0 || closed_) {
        return false;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    if (failed_) {
        return false;
    }
    const std::size_t size = static_cast<std::size_t>(pptr() - pbase());
    if (size > 0) {
        CBlock& block = blocks_[produced_ % kBlocks];
        block.offset = position_;
        block.size = size;
        position_ += static_cast<std::int64_t>(size);
        ++produced_;
        changed_.notify_all();
    }
    // The next block is free once the thread has written the one that used it before.
    changed_.wait(lock, [this] { return failed_ || produced_ - consumed_ < kBlocks; });
    if (failed_) {
        return false;
    }
    char* next = blocks_[produced_ % kBlocks].bytes;
    setp(next, next + kBlockBytes);
    return true;
}

std::span<char> CWriteBehindBuffer::fillable(std::size_t minimum) {
    if (minimum > kBlockBytes ||
        (static_cast<std::size_t>(epptr() - pptr()) < minimum && !handOver())) {
        return {};
    }
    return {pptr(), epptr()};
}

void CWriteBehindBuffer::commit(std::size_t count) {
    // A block is at most kBlockBytes, which pbump's int holds.
    pbump(static_cast<int>(count));
    end_ = std::max(end_, position_ + (pptr() - pbase()));
}

CWriteBehindBuffer::int_type CWriteBehindBuffer::overflow(int_type c) {
    if (!handOver()) {
        return Traits::eof();
    }
    if (!Traits::eq_int_type(c, Traits::eof())) {
        *pptr() = Traits::to_char_type(c);
        pbump(1);
        end_ = std::max(end_, position_ + (pptr() - pbase()));
    }
    return Traits::not_eof(c);
}

std::streamsize CWriteBehindBuffer::xsputn(const char* data, std::streamsize count) {
    std::streamsize done = 0;
    while (done < count) {
        if (pptr() == epptr() && !handOver()) {
            break;
        }
        const std::streamsize run = std::min<std::streamsize>(count - done, epptr() - pptr());
        std::memcpy(pptr(), data + done, static_cast<std::size_t>(run));
        // pbump takes an int; a run is at most one block.
        pbump(static_cast<int>(run));
        done += run;
    }
    end_ = std::max(end_, position_ + (pptr() - pbase()));
    return done;
}

int CWriteBehindBuffer::sync() {
    if (!handOver()) {
        return -1;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return failed_ || consumed_ == produced_; });
    return failed_ ? -1 : 0;
}

CWriteBehindBuffer::pos_type CWriteBehindBuffer::seekoff(off_type offset,
                                                         std::ios::seekdir direction,
                                                         std::ios::openmode which) {
    if (!(which & std::ios::out)) {
        return Failed;
    }
    const std::int64_t here = position_ + (pptr() - pbase());
    if (direction == std::ios::cur && offset == 0) {
        return pos_type(off_type(here));
    }
    const std::int64_t base = direction == std::ios::beg   ? 0
                              : direction == std::ios::cur ? here
                                                           : end_;
    const std::int64_t target = base + offset;
    // The bytes put so far go to their own place; the next ones start a block at the target.
    if (target < 0 || !handOver()) {
        return Failed;
    }
    position_ = target;
    return pos_type(off_type(target));
}

CWriteBehindBuffer::pos_type CWriteBehindBuffer::seekpos(pos_type position,
                                                         std::ios::openmode which) {
    return seekoff(off_type(position), std::ios::beg, which);
}

bool CWriteBehindBuffer::writeBlock(const CBlock& block) {
    std::size_t done = 0;
    while (done < block.size) {
        const ssize_t put = ::pwrite(descriptor_, block.bytes + done, block.size - done,
                                     static_cast<off_t>(block.offset) + static_cast<off_t>(done));
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

void CWriteBehindBuffer::writeBlocks() {
    std::int64_t unflushed = 0;
    bool failed = false;
    for (;;) {
        std::size_t slot = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || consumed_ != produced_; });
            if (consumed_ == produced_) {
                return;
            }
            slot = consumed_ % kBlocks;
        }
        // The block is this thread's alone until consumed_ counts it; after a failure the rest
        // are only counted, so that the filling thread never waits for ever.
        const CBlock& block = blocks_[slot];
        if (!failed) {
            failed = !writeBlock(block);
            unflushed += static_cast<std::int64_t>(block.size);
        }
        const bool flushDue = !failed && unflushed >= kBytesPerFlush;
        if (flushDue) {
            unflushed = 0;
        }
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            ++consumed_;
            failed_ = failed_ || failed;
            flushRequested_ = flushRequested_ || flushDue;
        }
        changed_.notify_all();
    }
}

void CWriteBehindBuffer::flushWhenAsked() {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || flushRequested_; });
            // What is left when the writing stops is the caller's final flush.
            if (stopping_) {
                return;
            }
            flushRequested_ = false;
        }
        // The writing goes on meanwhile: a flush takes a while, and the blocks would fill up.
        const bool flushed = flush_(descriptor_) == 0 || errno == EINVAL || errno == EROFS;
        if (!flushed) {
            const std::lock_guard<std::mutex> lock(mutex_);
            failed_ = true;
        }
        changed_.notify_all();
    }
}

CWriteBehindStream::CWriteBehindStream(int descriptor, CWriteBehindBuffer::Flush flush)
    : std::ostream(nullptr), buffer_(descriptor, std::move(flush)) {
    rdbuf(&buffer_);
    if (descriptor < 0) {
        setstate(std::ios::badbit);
    }
}

bool CWriteBehindStream::close() {
    const bool closed = buffer_.close();
    if (!closed) {
        setstate(std::ios::badbit);
    }
    return closed;
}

std::span<char> CWriteBehindStream::fillable(std::size_t minimum) {
    const std::span<char> room = buffer_.fillable(minimum);
    // More than a block is never there; less is missing only when the file has failed.
    if (room.size() < minimum && minimum <= CWriteBehindBuffer::kBlockBytes) {
        setstate(std::ios::badbit);
    }
    return room;
}

std::shared_ptr<CWriteBehindStream> CreateWriteBehindFile(const std::string& path) {
    // As every file the converter makes: O_EXCL refuses any name already taken, a link included.
    int descriptor = -1;
    do {
        descriptor =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        return nullptr;
    }
    auto stream = std::make_shared<CWriteBehindStream>(descriptor);
    return stream->good() ? stream : nullptr;
}

} // namespace ZQ3
