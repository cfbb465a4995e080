#pragma once

#include <cstdint>
#include <string>

// Byte-exact file images for the format tests, built by hand so that each test shows the bytes
// it feeds the readers.
namespace SL::TestBytes {

inline std::string Le16(std::uint32_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}
inline std::string Le32(std::uint32_t value) {
    return Le16(value & 0xFFFF) + Le16(value >> 16);
}
inline std::string Be16(std::uint32_t value) {
    return {static_cast<char>((value >> 8) & 0xFF), static_cast<char>(value & 0xFF)};
}
inline std::string Be32(std::uint32_t value) {
    return Be16(value >> 16) + Be16(value & 0xFFFF);
}

inline std::string LeChunk(const std::string& identifier, const std::string& body) {
    std::string chunk = identifier + Le32(static_cast<std::uint32_t>(body.size())) + body;
    if (body.size() % 2 == 1) {
        chunk.push_back('\0');
    }
    return chunk;
}
inline std::string BeChunk(const std::string& identifier, const std::string& body) {
    std::string chunk = identifier + Be32(static_cast<std::uint32_t>(body.size())) + body;
    if (body.size() % 2 == 1) {
        chunk.push_back('\0');
    }
    return chunk;
}

inline std::string Riff(const std::string& children) {
    return "RIFF" + Le32(static_cast<std::uint32_t>(4 + children.size())) + "WAVE" + children;
}
inline std::string Form(const std::string& children, const std::string& formType = "AIFF") {
    return "FORM" + Be32(static_cast<std::uint32_t>(4 + children.size())) + formType + children;
}

// A 16-byte "fmt " body.
inline std::string FormatBody(int tag, int channels, std::uint32_t rate, int bits) {
    const std::uint32_t block = static_cast<std::uint32_t>(channels * bits / 8);
    return Le16(static_cast<std::uint32_t>(tag)) + Le16(static_cast<std::uint32_t>(channels)) +
           Le32(rate) + Le32(rate * block) + Le16(block) + Le16(static_cast<std::uint32_t>(bits));
}

// A "COMM" body with the rate as ten big-endian extended bytes.
inline std::string CommonBody(int channels, std::uint32_t frames, int bits,
                              const std::string& rate) {
    return Be16(static_cast<std::uint32_t>(channels)) + Be32(frames) +
           Be16(static_cast<std::uint32_t>(bits)) + rate;
}
inline const std::string Rate44100("\x40\x0E\xAC\x44\0\0\0\0\0\0", 10);

} // namespace SL::TestBytes
