#include "card/content_digest.h"

#include <cstring>

namespace ZQ3 {

void CContentDigest::mix(std::uint64_t word) {
    state_ = (state_ ^ word) * 0x9E3779B97F4A7C15u;
    state_ ^= state_ >> 29;
}

void CContentDigest::add(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    // Completes the word begun by the last piece first, so that the words always start at
    // multiples of eight bytes of the whole stream.
    while (size > 0 && bytes_ % 8 != 0) {
        pending_ |= std::uint64_t{*bytes} << (8 * (bytes_ % 8));
        ++bytes, --size, ++bytes_;
        if (bytes_ % 8 == 0) {
            mix(pending_);
            pending_ = 0;
        }
    }
    for (; size >= 8; bytes += 8, size -= 8, bytes_ += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes, 8);
        mix(word);
    }
    for (; size > 0; ++bytes, --size, ++bytes_) {
        pending_ |= std::uint64_t{*bytes} << (8 * (bytes_ % 8));
    }
}

std::uint64_t CContentDigest::value() const {
    CContentDigest last = *this;
    last.mix(pending_ ^ bytes_);
    return last.state_;
}

} // namespace ZQ3
