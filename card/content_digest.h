#pragma once

#include <cstddef>
#include <cstdint>

namespace ZQ3 {

// A running 64-bit digest of a stream of bytes, for telling whether two copies of a file hold the
// same bytes: a copy read back from a card against what was written to it. The value depends
// only on the bytes, not on how they were split into pieces. Any change of a byte, of the order
// or of the length changes it but for a chance of one in 2^64; it is no defence against someone
// forging a file.
class CContentDigest {
public:
    void add(const void* data, std::size_t size);
    std::uint64_t value() const;
    std::uint64_t bytes() const { return bytes_; }

    friend bool operator==(const CContentDigest& a, const CContentDigest& b) {
        return a.value() == b.value() && a.bytes_ == b.bytes_;
    }

private:
    void mix(std::uint64_t word);

    std::uint64_t state_ = 0x243F6A8885A308D3u;
    std::uint64_t bytes_ = 0;
    // Bytes of a word not yet complete, lowest first.
    std::uint64_t pending_ = 0;
};

} // namespace ZQ3
