#include "sl/files/descriptor_stream.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace SL {
namespace {

// Large enough that a sample block or a card frame run costs few system calls.
constexpr std::size_t BufferBytes = 64 * 1024;

using Traits = std::char_traits<char>;

const std::streambuf::pos_type Failed = std::streambuf::pos_type(std::streambuf::off_type(-1));

// Reads up to size bytes; 0 at the end of the file, -1 on an error.
ssize_t ReadSome(int descriptor, char* data, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(descriptor, data, size);
        if (got >= 0 || errno != EINTR) {
            return got;
        }
    }
}

// Writes all size bytes, however many calls it takes; answers how many were written, which is
// fewer only on an error.
std::size_t WriteAll(int descriptor, const char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put = ::write(descriptor, data + done, size - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            break;
        }
        done += static_cast<std::size_t>(put);
    }
    return done;
}

} // namespace

CDescriptorStreamBuffer::CDescriptorStreamBuffer(int descriptor, std::ios::openmode mode)
    : descriptor_(descriptor), mode_(mode & (std::ios::in | std::ios::out)), buffer_(BufferBytes) {}

CDescriptorStreamBuffer::~CDescriptorStreamBuffer() {
    if (descriptor_ >= 0) {
        Close();
    }
}

bool CDescriptorStreamBuffer::Close() {
    if (descriptor_ < 0) {
        return false;
    }
    bool success = Settle();
    // Never retried, even when interrupted: Linux has released the descriptor by then, and the
    // number may already belong to a file another thread opened.
    if (::close(descriptor_) != 0) {
        success = false;
    }
    descriptor_ = -1;
    return success;
}

CDescriptorStreamBuffer::off_type CDescriptorStreamBuffer::Position() const {
    const off_t at = ::lseek(descriptor_, 0, SEEK_CUR);
    if (at < 0) {
        return -1;
    }
    if (Reading()) {
        return at - (egptr() - gptr());
    }
    if (Writing()) {
        return at + (pptr() - pbase());
    }
    return at;
}

bool CDescriptorStreamBuffer::WritePending() {
    const std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
    const bool success = WriteAll(descriptor_, pbase(), pending) == pending;
    // Bytes that could not be written are dropped: the stream has failed and says so.
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return success;
}

bool CDescriptorStreamBuffer::Settle() {
    bool success = true;
    if (Writing()) {
        success = WritePending();
        setp(nullptr, nullptr);
    }
    if (Reading()) {
        const off_t ahead = egptr() - gptr();
        if (ahead > 0 && ::lseek(descriptor_, -ahead, SEEK_CUR) < 0) {
            success = false;
        }
        setg(nullptr, nullptr, nullptr);
    }
    return success;
}

CDescriptorStreamBuffer::int_type CDescriptorStreamBuffer::underflow() {
    if (descriptor_ < 0 || !(mode_ & std::ios::in)) {
        return Traits::eof();
    }
    if (Reading() && gptr() < egptr()) {
        return Traits::to_int_type(*gptr());
    }
    if (Writing() && !Settle()) {
        return Traits::eof();
    }
    const ssize_t got = ReadSome(descriptor_, buffer_.data(), buffer_.size());
    if (got <= 0) {
        setg(nullptr, nullptr, nullptr);
        return Traits::eof();
    }
    setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
    return Traits::to_int_type(*gptr());
}

CDescriptorStreamBuffer::int_type CDescriptorStreamBuffer::overflow(int_type c) {
    if (descriptor_ < 0 || !(mode_ & std::ios::out)) {
        return Traits::eof();
    }
    if (Reading() && !Settle()) {
        return Traits::eof();
    }
    if (!Writing()) {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    } else if (pptr() == epptr() && !WritePending()) {
        return Traits::eof();
    }
    if (!Traits::eq_int_type(c, Traits::eof())) {
        *pptr() = Traits::to_char_type(c);
        pbump(1);
    }
    return Traits::not_eof(c);
}

int CDescriptorStreamBuffer::sync() {
    if (descriptor_ < 0) {
        return -1;
    }
    return Settle() ? 0 : -1;
}

std::streamsize CDescriptorStreamBuffer::xsgetn(char* data, std::streamsize count) {
    std::streamsize done = 0;
    if (Reading()) {
        done = std::min<std::streamsize>(egptr() - gptr(), count);
        Traits::copy(data, gptr(), static_cast<std::size_t>(done));
        gbump(static_cast<int>(done));
    }
    if (count - done < static_cast<std::streamsize>(buffer_.size())) {
        return done + std::streambuf::xsgetn(data + done, count - done);
    }
    // A large read goes straight into the caller's memory rather than through the buffer.
    if (descriptor_ < 0 || !(mode_ & std::ios::in) || !Settle()) {
        return done;
    }
    while (done < count) {
        const ssize_t got =
            ReadSome(descriptor_, data + done, static_cast<std::size_t>(count - done));
        if (got <= 0) {
            break;
        }
        done += got;
    }
    return done;
}

std::streamsize CDescriptorStreamBuffer::xsputn(const char* data, std::streamsize count) {
    if (count < static_cast<std::streamsize>(buffer_.size())) {
        return std::streambuf::xsputn(data, count);
    }
    // A large write goes straight from the caller's memory, after what is pending.
    if (descriptor_ < 0 || !(mode_ & std::ios::out) || !Settle()) {
        return 0;
    }
    return static_cast<std::streamsize>(
        WriteAll(descriptor_, data, static_cast<std::size_t>(count)));
}

CDescriptorStreamBuffer::pos_type
CDescriptorStreamBuffer::seekoff(off_type offset, std::ios::seekdir direction, std::ios::openmode) {
    // Reading and writing share one position, as in a file stream.
    if (descriptor_ < 0) {
        return Failed;
    }
    if (direction == std::ios::end) {
        if (!Settle()) {
            return Failed;
        }
        const off_t at = ::lseek(descriptor_, offset, SEEK_END);
        return at < 0 ? Failed : pos_type(at);
    }
    const off_type current = Position();
    off_type target = offset;
    if (current < 0 ||
        (direction == std::ios::cur && __builtin_add_overflow(current, offset, &target))) {
        return Failed;
    }
    if (target < 0) {
        return Failed;
    }
    if (target == current) {
        // Telling the position keeps what the buffer holds.
        return pos_type(target);
    }
    if (Reading()) {
        // Parsers hop between nearby chunk headers: a target within the bytes read ahead needs
        // no new read.
        const off_type end = current + (egptr() - gptr());
        const off_type start = end - (egptr() - eback());
        if (target >= start && target <= end) {
            setg(eback(), eback() + (target - start), egptr());
            return pos_type(target);
        }
    }
    if (!Settle()) {
        return Failed;
    }
    const off_t at = ::lseek(descriptor_, target, SEEK_SET);
    return at < 0 ? Failed : pos_type(at);
}

CDescriptorStreamBuffer::pos_type CDescriptorStreamBuffer::seekpos(pos_type position,
                                                                   std::ios::openmode which) {
    return seekoff(off_type(position), std::ios::beg, which);
}

CDescriptorStream::CDescriptorStream(int descriptor, std::ios::openmode mode)
    : std::iostream(nullptr), buffer_(descriptor, mode) {
    rdbuf(&buffer_);
    if (!buffer_.IsOpen()) {
        setstate(std::ios::failbit);
    }
}

void CDescriptorStream::close() {
    if (!buffer_.Close()) {
        setstate(std::ios::failbit);
    }
}

} // namespace SL
