#pragma once

#include <ios>
#include <ostream>
#include <streambuf>
#include <string>

namespace ZQ3::Fixture {

// A file on a disk that fills up: it takes the first `room` bytes and refuses every write after
// them. It can be positioned, as a fresh file can.
class CRefusingBuffer : public std::streambuf {
public:
    explicit CRefusingBuffer(std::streamsize room) : room_(room) {}
    const std::string& taken() const { return taken_; }

protected:
    pos_type seekoff(off_type, std::ios::seekdir, std::ios::openmode) override { return 0; }
    pos_type seekpos(pos_type, std::ios::openmode) override { return 0; }
    int_type overflow(int_type) override { return traits_type::eof(); }
    std::streamsize xsputn(const char* bytes, std::streamsize count) override {
        if (count > room_) {
            return 0;
        }
        taken_.append(bytes, static_cast<std::size_t>(count));
        room_ -= count;
        return count;
    }

private:
    std::streamsize room_;
    std::string taken_;
};

struct CRefusingBufferHolder {
    explicit CRefusingBufferHolder(std::streamsize room) : buffer(room) {}
    CRefusingBuffer buffer;
};

struct CRefusingStream : CRefusingBufferHolder, std::ostream {
    explicit CRefusingStream(std::streamsize room = 0)
        : CRefusingBufferHolder(room), std::ostream(&buffer) {}
};

} // namespace ZQ3::Fixture
