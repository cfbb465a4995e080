#include "sl/codec/expander.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstring>
#include <utility>

namespace SL::Private {

namespace {

template <int N, EVexaLayout L>
inline constexpr CVexaHalfLayout kHalf = MakeVexaHalfLayout(L, N);

template <int N>
inline constexpr auto kInterleave = MakeVexaInterleave(N);

template <int N>
inline constexpr auto kClasses = [] {
    std::array<CVexaClass, 256> classes{};
    for (std::uint32_t c = 0; c < 256; ++c) {
        classes[c] = ClassifyVexaHeader(c, N);
    }
    return classes;
}();

// The dequantiser of one frame. shiftBase is 28 + N - W; a field of width w is shifted right
// by (shiftBase - w) mod 32, which is how frames with W < N - 4 come out.
struct CDequantiser {
    int shiftBase;
    std::int32_t mask;
    std::int32_t half;
};

template <int N, EVexaLayout L, int I>
inline std::int32_t ReadField(std::uint64_t bits, const CDequantiser& dq) {
    constexpr int width = kHalf<N, L>.width[I];
    constexpr int offset = kHalf<N, L>.offset[I];
    // The field at the top of a 32-bit word, the bits below it zero.
    const std::uint32_t word = static_cast<std::uint32_t>((bits << offset) >> 32) &
                               ~((std::uint32_t{1} << (32 - width)) - 1);
    if constexpr (L == EVexaLayout::A) {
        // At W = 13 a field is the top `width` bits of the sample, centred in its interval.
        return (static_cast<std::int32_t>(word) >> 16) | (std::int32_t{1} << (15 - width));
    } else {
        const int shift = (dq.shiftBase - width) & 31;
        return ((static_cast<std::int32_t>(word) >> shift) & dq.mask) | dq.half;
    }
}

template <int N, EVexaLayout L, int I>
inline std::int32_t Reconstruct(std::uint64_t bits, const CDequantiser& dq, std::int32_t y,
                                std::int32_t z) {
    const std::int32_t value = ReadField<N, L, I>(bits, dq);
    if constexpr (kHalf<N, L>.direct[I]) {
        return value;
    } else {
        return WrapAdd(VexaMean(y, z), value);
    }
}

// Always inlined into the frame's decoding, where the dequantiser stays in registers.
template <int N, EVexaLayout L>
[[gnu::always_inline]] inline void DecodeHalf(std::uint64_t bits, std::int32_t a,
                                              const CDequantiser& dq, std::int32_t* r) {
    r[7] = ReadField<N, L, 7>(bits, dq);
    r[3] = Reconstruct<N, L, 3>(bits, dq, a, r[7]);
    r[1] = Reconstruct<N, L, 1>(bits, dq, a, r[3]);
    r[5] = Reconstruct<N, L, 5>(bits, dq, r[3], r[7]);
    r[0] = Reconstruct<N, L, 0>(bits, dq, a, r[1]);
    r[2] = Reconstruct<N, L, 2>(bits, dq, r[1], r[3]);
    r[4] = Reconstruct<N, L, 4>(bits, dq, r[3], r[5]);
    r[6] = Reconstruct<N, L, 6>(bits, dq, r[5], r[7]);
}

// Whether the sampler caps sample I of a frame in this layout: h2 and h4 of the modes that clamp
// them, from above only.
template <EVexaLayout L, std::size_t I>
inline constexpr bool kCappedFromAbove = (L == EVexaLayout::D || L == EVexaLayout::D10 ||
                                          L == EVexaLayout::E || L == EVexaLayout::E8 ||
                                          L == EVexaLayout::F) &&
                                         ((I & 7) == 2 || (I & 7) == 4);

// The 16-bit sample the sampler plays for a reconstruction.
template <bool CapsFromAbove>
inline std::int16_t PlayedSample(std::int32_t value) {
    if constexpr (CapsFromAbove) {
        value = std::min(value, std::int32_t{32767});
    }
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}

// Unrolled, so that the capped samples are known when compiling and the stores go to fixed
// offsets: as a loop that tested each sample, this took as long as the decoding.
template <EVexaLayout L>
inline void Output(const std::int32_t* r, std::int16_t* samples, std::size_t stride) {
    [&]<std::size_t... I>(std::index_sequence<I...>) {
        ((samples[I * stride] = PlayedSample<kCappedFromAbove<L, I>>(r[I])), ...);
    }
    (std::make_index_sequence<kVexaFrameSamples>{});
}

template <int N, EVexaLayout L>
inline std::int32_t DecodeFrame(std::uint64_t first, std::uint64_t second, std::int32_t state,
                                const CDequantiser& dq, std::int16_t* samples, std::size_t stride,
                                std::int32_t* r) {
    DecodeHalf<N, L>(first, state, dq, r);
    DecodeHalf<N, L>(second, r[7], dq, r + kVexaHalfSamples);
    Output<L>(r, samples, stride);
    return r[kVexaFrameSamples - 1];
}

// The frame's 16 bytes as two big-endian words.
inline std::uint64_t BigEndianWord(const std::uint8_t* bytes) {
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    if constexpr (std::endian::native == std::endian::little) {
        word = __builtin_bswap64(word);
    }
    return word;
}

// Splits a frame into its two halves, left-aligned in 64 bits.
template <int N>
inline void Deinterleave(const std::uint8_t* frame, std::uint64_t* halves) {
    if constexpr (N == 8) {
        // The card's own form alternates the halves two bytes at a time over 16 bytes: two
        // word loads and a few masks do what 16 byte moves did.
        const std::uint64_t a = BigEndianWord(frame);
        const std::uint64_t b = BigEndianWord(frame + 8);
        halves[0] = (a & 0xFFFF'0000'0000'0000u) | ((a << 16) & 0x0000'FFFF'0000'0000u) |
                    ((b >> 32) & 0xFFFF'0000u) | ((b >> 16) & 0xFFFFu);
        halves[1] = ((a << 16) & 0xFFFF'0000'0000'0000u) | ((a << 32) & 0x0000'FFFF'0000'0000u) |
                    ((b >> 16) & 0xFFFF'0000u) | (b & 0xFFFFu);
    } else {
        // Unrolled over the constant byte order, so that every byte goes to a fixed place: as a
        // loop that looks the order up, this took a third of the frame's decoding.
        halves[0] = halves[1] = 0;
        [&]<std::size_t... I>(std::index_sequence<I...>) {
            ((halves[kInterleave<N>[I].half] |= static_cast<std::uint64_t>(frame[I])
                                                << (56 - 8 * kInterleave<N>[I].byte)),
             ...);
        }
        (std::make_index_sequence<static_cast<std::size_t>(2 * N)>{});
    }
}

} // namespace

template <int N>
std::int32_t expander::ExpandFrame(const std::uint8_t* frame, std::int32_t state,
                                   std::int16_t* samples, std::size_t stride,
                                   std::int32_t* reconstruction) {
    std::uint64_t halves[2];
    Deinterleave<N>(frame, halves);
    const std::uint32_t code = static_cast<std::uint32_t>((halves[0] >> 56) & 0xF0) |
                               static_cast<std::uint32_t>(halves[1] >> 60);
    const CVexaClass cls = kClasses<N>[code];
    const int w = cls.rangeExponent;

    // W + 4 is at least 1 for every header, so these shifts stay in range.
    CDequantiser dq{};
    dq.shiftBase = 28 + N - w;
    dq.mask = -(std::int32_t{1} << (w + 4)) >> N;
    dq.half = (std::int32_t{1} << (w + 4)) >> (N + 1);
    rangeExponent_ = static_cast<std::int16_t>(w);
    mode_ = VexaModeLetter(cls.layout);
    mask_ = dq.mask;
    halfStep_ = dq.half;

    const std::uint64_t p = halves[0], q = halves[1];
    std::int32_t* r = reconstruction;
    switch (cls.layout) {
    case EVexaLayout::A:
        return DecodeFrame<N, EVexaLayout::A>(p, q, state, dq, samples, stride, r);
    case EVexaLayout::B:
        return DecodeFrame<N, EVexaLayout::B>(p, q, state, dq, samples, stride, r);
    case EVexaLayout::C:
        return DecodeFrame<N, EVexaLayout::C>(p, q, state, dq, samples, stride, r);
    case EVexaLayout::D:
        return DecodeFrame<N, EVexaLayout::D>(p, q, state, dq, samples, stride, r);
    case EVexaLayout::D10:
        return DecodeFrame<N, EVexaLayout::D10>(p, q, state, dq, samples, stride, r);
    case EVexaLayout::E:
        return DecodeFrame<N, EVexaLayout::E>(p, q, state, dq, samples, stride, r);
    case EVexaLayout::E8:
        return DecodeFrame<N, EVexaLayout::E8>(p, q, state, dq, samples, stride, r);
    case EVexaLayout::F:
        return DecodeFrame<N, EVexaLayout::F>(p, q, state, dq, samples, stride, r);
    case EVexaLayout::G:
        break;
    }
    return DecodeFrame<N, EVexaLayout::G>(p, q, state, dq, samples, stride, r);
}

// Flattened, so that the frame's decoding and its stores are one loop body.
template <int N, std::size_t Stride>
[[gnu::flatten]] std::int32_t expander::ExpandFramesAt(const std::uint8_t* frames,
                                                       std::size_t count, std::int32_t state,
                                                       std::int16_t* samples, std::size_t stride) {
    // A stride known when compiling (0 meaning not known) puts every store at a fixed offset.
    const std::size_t step = Stride != 0 ? Stride : stride;
    std::int32_t r[kVexaFrameSamples];
    for (std::size_t k = 0; k < count; ++k) {
        state = ExpandFrame<N>(frames + k * 2 * N, state, samples + k * kVexaFrameSamples * step,
                               step, r);
    }
    return state;
}

template <int N>
std::int32_t expander::ExpandFrames(const std::uint8_t* frames, std::size_t count,
                                    std::int32_t state, std::int16_t* samples, std::size_t stride) {
    // A mono stream (stride 1) and one channel of a stereo buffer (stride 2) are what a stream
    // asks for.
    switch (stride) {
    case 1:
        return ExpandFramesAt<N, 1>(frames, count, state, samples, stride);
    case 2:
        return ExpandFramesAt<N, 2>(frames, count, state, samples, stride);
    default:
        return ExpandFramesAt<N, 0>(frames, count, state, samples, stride);
    }
}

std::int32_t expander::ExpandRun(int bitsPerSample, const std::uint8_t* frames, std::size_t count,
                                 std::int32_t state, std::int16_t* samples, std::size_t stride) {
    assert(IsValidVexaBitsPerSample(bitsPerSample));
    switch (bitsPerSample) {
    case 4:
        return ExpandFrames<4>(frames, count, state, samples, stride);
    case 5:
        return ExpandFrames<5>(frames, count, state, samples, stride);
    case 6:
        return ExpandFrames<6>(frames, count, state, samples, stride);
    case 7:
        return ExpandFrames<7>(frames, count, state, samples, stride);
    default:
        return ExpandFrames<8>(frames, count, state, samples, stride);
    }
}

std::int32_t expander::Expand(int bitsPerSample, const std::uint8_t* frame, std::int32_t state,
                              CSamples samples) {
    return Expand(bitsPerSample, frame, state, samples.data(), 1);
}

std::int32_t expander::Expand(int bitsPerSample, const std::uint8_t* frame, std::int32_t state,
                              std::int16_t* samples, std::size_t stride) {
    assert(IsValidVexaBitsPerSample(bitsPerSample));
    std::int32_t r[kVexaFrameSamples];
    switch (bitsPerSample) {
    case 4:
        return ExpandFrame<4>(frame, state, samples, stride, r);
    case 5:
        return ExpandFrame<5>(frame, state, samples, stride, r);
    case 6:
        return ExpandFrame<6>(frame, state, samples, stride, r);
    case 7:
        return ExpandFrame<7>(frame, state, samples, stride, r);
    default:
        return ExpandFrame<8>(frame, state, samples, stride, r);
    }
}

std::int32_t expander::Expand(int bitsPerSample, const std::uint8_t* frame, std::int32_t state,
                              CSamples samples, CReconstruction& reconstruction) {
    assert(IsValidVexaBitsPerSample(bitsPerSample));
    std::int32_t* r = reconstruction.data();
    switch (bitsPerSample) {
    case 4:
        return ExpandFrame<4>(frame, state, samples.data(), 1, r);
    case 5:
        return ExpandFrame<5>(frame, state, samples.data(), 1, r);
    case 6:
        return ExpandFrame<6>(frame, state, samples.data(), 1, r);
    case 7:
        return ExpandFrame<7>(frame, state, samples.data(), 1, r);
    default:
        return ExpandFrame<8>(frame, state, samples.data(), 1, r);
    }
}

} // namespace SL::Private
