#pragma once

// The bit geometry of a Vexa frame, shared by the compressor and the expander so that both
// sides read the same tables. Everything here is fixed by the sampler's format; nothing is tunable.

#include <array>
#include <cstdint>

namespace SL::Private {

inline constexpr int kVexaMinBitsPerSample = 4;
inline constexpr int kVexaMaxBitsPerSample = 8;
inline constexpr int kVexaFrameSamples = 16;
inline constexpr int kVexaHalfSamples = 8;

constexpr bool IsValidVexaBitsPerSample(int bitsPerSample) {
    return bitsPerSample >= kVexaMinBitsPerSample && bitsPerSample <= kVexaMaxBitsPerSample;
}

constexpr int VexaFrameBytes(int bitsPerSample) {
    return 2 * bitsPerSample;
}

// A frame layout is a mode together with the range exponents that change the header length:
// mode D at W = 10 and mode E at W = 8 have a longer header and a shorter h7 field.
enum class EVexaLayout : std::uint8_t { A, B, C, D, D10, E, E8, F, G };

constexpr char16_t VexaModeLetter(EVexaLayout layout) {
    switch (layout) {
    case EVexaLayout::A:
        return u'A';
    case EVexaLayout::B:
        return u'B';
    case EVexaLayout::C:
        return u'C';
    case EVexaLayout::D:
    case EVexaLayout::D10:
        return u'D';
    case EVexaLayout::E:
    case EVexaLayout::E8:
        return u'E';
    case EVexaLayout::F:
        return u'F';
    case EVexaLayout::G:
        return u'G';
    }
    return u'?';
}

// Geometry of one half (8N bits) of a frame in one layout. Indices 0..7 are h0..h7; the fields
// follow the header in the order h7, h6, ..., h0, most significant bit first.
struct CVexaHalfLayout {
    int headerBits;
    std::array<int, kVexaHalfSamples> width;   // field width in bits
    std::array<int, kVexaHalfSamples> offset;  // first bit of the field, counted from the top
    std::array<bool, kVexaHalfSamples> direct; // the field holds the sample, not a residual
};

constexpr CVexaHalfLayout MakeVexaHalfLayout(EVexaLayout layout, int n) {
    // Field widths relative to N, listed h7 first as they appear in the bit string.
    struct CRow {
        int header;
        std::array<int, kVexaHalfSamples> widthFromH7;
    };
    CRow row{};
    switch (layout) {
    case EVexaLayout::A:
        row = n == 4 ? CRow{3, {0, 0, -1, 0, -1, 0, -1, 0}} : CRow{4, {0, -1, 0, -1, 0, -1, 0, -1}};
        break;
    case EVexaLayout::B:
        row = {4, {0, -1, 0, -1, 0, -1, 0, -1}};
        break;
    case EVexaLayout::C:
        row = {2, {1, -1, 0, -1, 1, -1, 0, -1}};
        break;
    case EVexaLayout::D:
        row = {3, {3, -2, 0, -2, 2, -2, 0, -2}};
        break;
    case EVexaLayout::D10:
        row = {4, {2, -2, 0, -2, 2, -2, 0, -2}};
        break;
    case EVexaLayout::E:
        row = {2, {5, -2, 0, -2, 1, -2, 0, -2}};
        break;
    case EVexaLayout::E8:
        row = {3, {4, -2, 0, -2, 1, -2, 0, -2}};
        break;
    case EVexaLayout::F:
        row = {3, {6, -2, -1, -2, 1, -2, -1, -2}};
        break;
    case EVexaLayout::G:
        row = {4, {3, -1, -1, -1, -1, -1, -1, -1}};
        break;
    }
    CVexaHalfLayout half{};
    half.headerBits = row.header;
    int position = row.header;
    for (std::size_t i = 0; i < kVexaHalfSamples; ++i) {
        const std::size_t sample = 7 - i;
        half.width[sample] = n + row.widthFromH7[i];
        half.offset[sample] = position;
        position += half.width[sample];
    }
    const bool a = layout == EVexaLayout::A;
    const bool ab = a || layout == EVexaLayout::B;
    const bool direct3 = ab || layout == EVexaLayout::C || layout == EVexaLayout::D10;
    half.direct = {a, ab, a, direct3, a, ab, a, true};
    return half;
}

// Which half and which byte of it every frame byte carries. N = 4 keeps the halves apart; the
// wider frames interleave them two bytes at a time, with a single odd byte at the end.
struct CVexaByteSource {
    std::uint8_t half; // 0 = first half (P), 1 = second half (Q)
    std::uint8_t byte;
};

constexpr std::array<CVexaByteSource, 2 * kVexaMaxBitsPerSample> MakeVexaInterleave(int n) {
    std::array<CVexaByteSource, 2 * kVexaMaxBitsPerSample> order{};
    std::size_t out = 0;
    if (n == 4) {
        for (int h = 0; h < 2; ++h) {
            for (int b = 0; b < n; ++b) {
                order[out++] = {static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(b)};
            }
        }
        return order;
    }
    for (int b = 0; b < n; b += 2) {
        const int run = n - b >= 2 ? 2 : 1;
        for (int h = 0; h < 2; ++h) {
            for (int i = 0; i < run; ++i) {
                order[out++] = {static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(b + i)};
            }
        }
    }
    return order;
}

// The header bits each half carries, right-aligned, for a layout and range exponent the encoder
// writes. Mode G has no entry because the encoder never writes it.
struct CVexaHeader {
    std::uint32_t first;
    std::uint32_t second;
};

constexpr CVexaHeader MakeVexaHeader(EVexaLayout layout, int w, int n) {
    const bool lowRes = n == 4;
    switch (layout) {
    case EVexaLayout::A:
        return lowRes ? CVexaHeader{0b111, 0b110} : CVexaHeader{0xE, 0xF};
    case EVexaLayout::B:
        return lowRes ? CVexaHeader{0xF, 0xF} : CVexaHeader{0xE, static_cast<std::uint32_t>(w + 2)};
    case EVexaLayout::C:
        return {static_cast<std::uint32_t>(w >> 2), static_cast<std::uint32_t>(w & 3)};
    case EVexaLayout::D: {
        const auto v = static_cast<std::uint32_t>(w + (lowRes ? 52 : 51));
        return {v >> 3, v & 7};
    }
    case EVexaLayout::D10:
        return lowRes ? CVexaHeader{0xF, 0xE} : CVexaHeader{0xF, 0xA};
    case EVexaLayout::E: {
        const auto u = static_cast<std::uint32_t>(w - 2);
        return {u >> 2, u & 3};
    }
    case EVexaLayout::E8: {
        const std::uint32_t v = lowRes ? 0x37 : 0x36;
        return {v >> 3, v & 7};
    }
    case EVexaLayout::F: {
        const auto v = static_cast<std::uint32_t>(w + (lowRes ? 48 : 47));
        return {v >> 3, v & 7};
    }
    case EVexaLayout::G:
        break;
    }
    return {0, 0};
}

// What the decoder makes of a frame header code c (the top nibbles of P0 and Q0).
struct CVexaClass {
    EVexaLayout layout;
    int rangeExponent;
};

constexpr CVexaClass ClassifyVexaHeader(std::uint32_t c, int n) {
    const bool lowRes = n == 4;
    const int u = static_cast<int>(((c >> 4) & 0xC) | ((c >> 2) & 0x3));
    const int v = static_cast<int>(((c >> 2) & 0x38) | ((c >> 1) & 0x7));
    const std::uint32_t e = c & 0xEE;
    if ((c & 0xCC) < 0x48) {
        return {EVexaLayout::E, u + 2};
    }
    if (lowRes ? e == 0xCE : e == 0xCC) {
        return {EVexaLayout::E8, 8};
    }
    if ((c & 0xCC) < 0xC0) {
        return {EVexaLayout::C, u};
    }
    if (lowRes ? e < 0xCE : e < 0xCC) {
        return {EVexaLayout::F, v - (lowRes ? 48 : 47)};
    }
    if (lowRes ? (e < 0xEC || c == 0xFE) : (e < 0xEA || c == 0xFA)) {
        if (lowRes ? e > 0xED : e > 0xE9) {
            return {EVexaLayout::D10, 10};
        }
        return {EVexaLayout::D, v - (lowRes ? 52 : 51)};
    }
    if (lowRes ? (c < 0xFE && e != 0xEC) : c > 0xFA) {
        if (lowRes) {
            return {EVexaLayout::G, static_cast<int>(c) - 0xEE};
        }
        return {EVexaLayout::G, static_cast<int>(c) - (c <= 0xFC ? 0xFB : 0x100)};
    }
    if (c == 0xFF || (!lowRes && c != 0xEF)) {
        return {EVexaLayout::B, lowRes ? 12 : static_cast<int>(c) - 0xE2};
    }
    return {EVexaLayout::A, 13};
}

// 32-bit arithmetic that wraps the way the sampler's own arithmetic does, without the undefined
// behaviour of signed overflow in C++.
constexpr std::int32_t WrapAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

constexpr std::int32_t WrapSub(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

// The mean of two neighbours, rounded towards minus infinity.
constexpr std::int32_t VexaMean(std::int32_t y, std::int32_t z) {
    return WrapAdd(y, z) >> 1;
}

} // namespace SL::Private
