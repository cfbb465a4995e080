#pragma once

#include <ios>
#include <istream>
#include <streambuf>
#include <vector>

namespace SL {

// A buffered stream buffer over a POSIX file descriptor, which it owns. Standard streams cannot be
// made from a descriptor, and files must be opened with flags the standard streams do not offer
// (no blocking on special files, no truncation, no following links), so the opening is done by
// hand and the bytes go through this buffer.
//
// One buffer serves reading and writing in turn, as in a file stream: switching direction or
// seeking hands pending bytes to the descriptor first. Reads and writes are retried when a signal
// interrupts them, so Ctrl-C never turns into a short file or a premature end. A read error ends
// the input as the end of the file does.
class CDescriptorStreamBuffer : public std::streambuf {
public:
    // Takes the descriptor, open for the directions in mode (in, out or both); -1 gives a buffer
    // on which everything fails.
    CDescriptorStreamBuffer(int descriptor, std::ios::openmode mode);
    // Writes what is pending and closes the descriptor; failures here go unnoticed, so callers
    // that must know call Close first.
    ~CDescriptorStreamBuffer() override;
    CDescriptorStreamBuffer(const CDescriptorStreamBuffer&) = delete;
    CDescriptorStreamBuffer& operator=(const CDescriptorStreamBuffer&) = delete;

    bool IsOpen() const { return descriptor_ >= 0; }
    // Writes what is pending and closes the descriptor. False when either fails (some file
    // systems report a lost write only at close) or when nothing was open.
    bool Close();

protected:
    int_type underflow() override;
    int_type overflow(int_type c) override;
    int sync() override;
    std::streamsize xsgetn(char* data, std::streamsize count) override;
    std::streamsize xsputn(const char* data, std::streamsize count) override;
    pos_type seekoff(off_type offset, std::ios::seekdir direction,
                     std::ios::openmode which) override;
    pos_type seekpos(pos_type position, std::ios::openmode which) override;

private:
    bool Reading() const { return eback() != nullptr; }
    bool Writing() const { return pbase() != nullptr; }
    // The position the stream's user sees, which differs from the descriptor's by what the
    // buffer holds; -1 when the descriptor cannot tell.
    off_type Position() const;
    // Writes the pending bytes; the buffer stays ready for more.
    bool WritePending();
    // Leaves both directions: pending bytes are written and the descriptor is moved back over
    // bytes read ahead, so that its position is the stream's.
    bool Settle();

    int descriptor_;
    const std::ios::openmode mode_;
    std::vector<char> buffer_;
};

// An iostream over a CDescriptorStreamBuffer: it owns and closes the descriptor.
class CDescriptorStream : public std::iostream {
public:
    // A stream that fails from the start when descriptor is -1.
    CDescriptorStream(int descriptor, std::ios::openmode mode);

    bool is_open() const { return buffer_.IsOpen(); }
    // Closes the file; the stream fails when pending bytes could not be written or the close
    // itself reported an error.
    void close();

private:
    CDescriptorStreamBuffer buffer_;
};

} // namespace SL
