#include "sl/codec/compressor.h"

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

// The quantiser of one frame: step exponent x, mask M = -2^x and half step H = 2^x / 2.
struct CStep {
    int rangeExponent;
    int x;
    std::int32_t mask;
    std::int32_t half;
};

// |v| folded so that -v - 1 and v meet: the bit length of the result is the number of
// magnitude bits a two's-complement field needs for v.
inline std::int32_t Magnitude(std::int32_t v) {
    return v ^ (v >> 31);
}

struct CQuantised {
    std::int32_t value;          // what is packed (>> x) and what the decoder adds to pred
    std::int32_t reconstruction; // pred + value
};

// The residual quantiser for a field of `width` bits against the neighbours y and z.
// Always inlined: called out of line, passing the step and returning the pair cost more than
// the quantising itself.
template <int Width>
[[gnu::always_inline]] inline CQuantised QuantiseResidual(std::int32_t s, std::int32_t y,
                                                          std::int32_t z, const CStep& step) {
    const std::int32_t pred = VexaMean(y, z);
    const std::int32_t d = WrapSub(s, pred);
    // The field spans -2^c .. 2^c - 1 in sample units, c = k + W - 1 = width + x - 1.
    const int c = Width + step.x - 1;
    const std::int32_t over = d >> c;
    if (over != 0 && over != -1) [[unlikely]] {
        const std::int32_t limit = std::int32_t{1} << c;
        const std::int32_t value =
            d > 0 ? ((step.mask & (limit - 1)) | step.half) : ((step.mask & -limit) | step.half);
        return {value, WrapAdd(pred, value)};
    }
    const std::int32_t q = (d & step.mask) | step.half;
    const std::int32_t r = WrapAdd(q, pred);
    if (static_cast<std::uint32_t>(r) + 32768u > 65535u) [[unlikely]] {
        // Flipping bits x..15 moves the reconstruction into the outermost quantiser interval on
        // the same side of the 16-bit range.
        const std::int32_t pulled = r ^ (step.mask & 0xFFFF);
        return {WrapSub(pulled, pred), pulled};
    }
    if (r == -32768 && (y & z & 1) != 0) [[unlikely]] {
        const std::int32_t raised = q + 2 * step.half;
        return {raised, WrapAdd(pred, raised)};
    }
    return {q, r};
}

template <int N, EVexaLayout L, int I>
inline std::uint64_t PackField(std::int32_t field) {
    constexpr int width = kHalf<N, L>.width[I];
    constexpr int shift = 64 - kHalf<N, L>.offset[I] - width;
    constexpr std::uint32_t fieldMask = (std::uint32_t{1} << width) - 1;
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(field) & fieldMask) << shift;
}

// Codes one half (h0..h7 with its anchor) into its 8N-bit string, left-aligned in 64 bits and
// without the header bits. Leaves the eight reconstructions in `r`.
template <int N, EVexaLayout L>
inline std::uint64_t CodeHalf(const std::int16_t* h, std::int32_t anchor, const CStep& step,
                              std::int32_t* r) {
    constexpr CVexaHalfLayout half = kHalf<N, L>;
    std::int32_t field[kVexaHalfSamples];

    if constexpr (L == EVexaLayout::A) {
        // At W = 13 every field is simply the top `width` bits of its sample.
        [&]<int... I>(std::integer_sequence<int, I...>) {
            ((field[I] = h[I] >> (16 - half.width[I]),
              r[I] = (h[I] & -(std::int32_t{1} << (16 - half.width[I]))) |
                     (std::int32_t{1} << (15 - half.width[I]))),
             ...);
        }
        (std::make_integer_sequence<int, kVexaHalfSamples>{});
    } else {
        const auto direct = [&](int i) {
            const std::int32_t kept = h[i] & step.mask;
            field[i] = kept >> step.x;
            r[i] = kept | step.half;
        };
        const auto residual = [&]<int I>(std::int32_t y, std::int32_t z) {
            const CQuantised q = QuantiseResidual<kHalf<N, L>.width[I]>(h[I], y, z, step);
            field[I] = q.value >> step.x;
            r[I] = q.reconstruction;
        };
        direct(7);
        if constexpr (half.direct[3]) {
            direct(3);
        } else {
            residual.template operator()<3>(anchor, r[7]);
        }
        if constexpr (half.direct[1]) {
            direct(1);
            direct(5);
        } else {
            residual.template operator()<1>(anchor, r[3]);
            residual.template operator()<5>(r[3], r[7]);
        }
        residual.template operator()<0>(anchor, r[1]);
        residual.template operator()<2>(r[1], r[3]);
        residual.template operator()<4>(r[3], r[5]);
        residual.template operator()<6>(r[5], r[7]);
    }

    return [&]<int... I>(std::integer_sequence<int, I...>) {
        return (PackField<N, L, I>(field[I]) | ...);
    }
    (std::make_integer_sequence<int, kVexaHalfSamples>{});
}

// Frame byte I: a fixed byte of a fixed half, known when compiling.
template <int N, std::size_t I>
inline std::uint8_t InterleavedByte(std::uint64_t first, std::uint64_t second) {
    constexpr CVexaByteSource source = kInterleave<N>[I];
    constexpr int shift = 56 - 8 * source.byte;
    if constexpr (source.half == 0) {
        return static_cast<std::uint8_t>(first >> shift);
    } else {
        return static_cast<std::uint8_t>(second >> shift);
    }
}

// Unrolled over the constant byte order: as a loop that looks the order up, this took nearly as
// long as choosing the mode.
template <int N>
inline void Interleave(std::uint64_t first, std::uint64_t second, std::uint8_t* frame) {
    if constexpr (N == 8 && std::endian::native == std::endian::little) {
        // The card's own form alternates the halves two bytes at a time over 16 bytes: two
        // word stores do what 16 byte stores did.
        std::uint64_t words[2] = {
            (first & 0xFFFF'0000'0000'0000u) | ((second >> 16) & 0x0000'FFFF'0000'0000u) |
                ((first >> 16) & 0xFFFF'0000u) | ((second >> 32) & 0xFFFFu),
            ((first << 32) & 0xFFFF'0000'0000'0000u) | ((second << 16) & 0x0000'FFFF'0000'0000u) |
                ((first << 16) & 0xFFFF'0000u) | (second & 0xFFFFu)};
        words[0] = __builtin_bswap64(words[0]);
        words[1] = __builtin_bswap64(words[1]);
        std::memcpy(frame, words, sizeof words);
        return;
    }
    [&]<std::size_t... I>(std::index_sequence<I...>) {
        ((frame[I] = InterleavedByte<N, I>(first, second)), ...);
    }
    (std::make_index_sequence<static_cast<std::size_t>(2 * N)>{});
}

struct CChoice {
    EVexaLayout layout;
    int rangeExponent;
};

// Chooses W and the mode from the five candidate ranges of the frame's input samples.
template <int N>
inline CChoice Choose(const std::int16_t* p, std::int32_t state,
                      std::array<std::int32_t, compressor::AccumulatorCount>& accumulators) {
    std::int32_t r7 = 0, r3 = 0, r15 = 0, q3 = 0, q15 = 0, qe = 0;
    for (int halfIndex = 0; halfIndex < 2; ++halfIndex) {
        const std::int16_t* h = p + halfIndex * kVexaHalfSamples;
        const std::int32_t a = halfIndex == 0 ? state : std::int32_t{p[7]};
        const std::int32_t h0 = h[0], h1 = h[1], h2 = h[2], h3 = h[3];
        const std::int32_t h4 = h[4], h5 = h[5], h6 = h[6], h7 = h[7];
        r7 |= Magnitude(h7);
        r3 |= Magnitude(h3);
        r15 |= Magnitude(h1) | Magnitude(h5);
        q3 |= Magnitude(WrapSub(h3, VexaMean(h7, a)));
        q15 |= Magnitude(WrapSub(h1, VexaMean(a, h3))) | Magnitude(h5 - VexaMean(h3, h7));
        qe |= Magnitude(WrapSub(h0, VexaMean(h1, a))) | Magnitude(h2 - VexaMean(h1, h3)) |
              Magnitude(h4 - VexaMean(h3, h5)) | Magnitude(h6 - VexaMean(h5, h7));
    }
    accumulators = {r7, r3, r15, q3, q15, qe, 0, 0};

    // The accumulators are never negative, so the candidates are formed without sign; Qe << 1
    // can only leave 31 bits when the anchor itself lies far outside the 16-bit range.
    const auto R7 = static_cast<std::uint32_t>(r7), R3 = static_cast<std::uint32_t>(r3);
    const auto R15 = static_cast<std::uint32_t>(r15), Q3 = static_cast<std::uint32_t>(q3);
    const auto Q15 = static_cast<std::uint32_t>(q15), Qe = static_cast<std::uint32_t>(qe);
    constexpr std::uint32_t m = std::uint32_t{3} << (N - 4);

    std::uint32_t candidate[5];
    candidate[0] = ((R7 | R3 | R15 | 0x7FE) >> 1) | Qe | m | (N == 4 ? 0x3FFFu : 0u);
    candidate[1] = ((((R7 | R3 | 0x3FC) >> 1) | Q15) >> 1) | Qe | m;
    candidate[2] = ((((((R7 | 0x3F0) >> 1) | Q3) >> 2) | Q15) >> 1) | (Qe << 1) | m;
    if (candidate[2] > 2047) {
        candidate[2] = ((Q15 | 0x1FFE) >> 1) | (Qe << 1);
    }
    candidate[3] = ((((((R7 | 0x3C0) >> 4) | Q3) >> 1) | Q15) >> 1) | (Qe << 1) | m;
    candidate[4] = ((((R7 | 0x180) >> 5) | Q3) >> 2) | (Qe << 1) | Q15 | m | (N != 4 ? 7u : 0u);

    // A later candidate wins only with a strictly shorter bit length.
    std::uint32_t best = candidate[0];
    int index = 0;
    for (int i = 1; i < 5; ++i) {
        if (candidate[i] < (best & ~candidate[i])) {
            best = candidate[i];
            index = i;
        }
    }
    if (best >= 0x4000) {
        return {EVexaLayout::A, 13};
    }
    const int w = static_cast<int>(std::bit_width(best)) - 2;
    switch (index) {
    case 0:
        return {EVexaLayout::B, w};
    case 1:
        return {EVexaLayout::C, w};
    case 2:
        return {w == 10 ? EVexaLayout::D10 : EVexaLayout::D, w};
    case 3:
        return {w == 8 ? EVexaLayout::E8 : EVexaLayout::E, w};
    default:
        return {EVexaLayout::F, w};
    }
}

template <int N, EVexaLayout L>
inline std::int32_t CodeFrame(const std::int16_t* p, std::int32_t state, const CStep& step,
                              std::uint8_t* frame, std::int32_t* r) {
    constexpr CVexaHalfLayout half = kHalf<N, L>;
    const CVexaHeader header = MakeVexaHeader(L, step.rangeExponent, N);
    std::uint64_t first = CodeHalf<N, L>(p, state, step, r);
    std::uint64_t second = CodeHalf<N, L>(p + kVexaHalfSamples, r[7], step, r + kVexaHalfSamples);
    first |= static_cast<std::uint64_t>(header.first) << (64 - half.headerBits);
    second |= static_cast<std::uint64_t>(header.second) << (64 - half.headerBits);
    Interleave<N>(first, second, frame);
    return r[kVexaFrameSamples - 1];
}

} // namespace

template <int N, bool KeepReconstruction>
std::int32_t compressor::CompressFrame(CSamples samples, std::int32_t state, std::uint8_t* frame,
                                       std::int32_t* reconstruction) {
    const CChoice choice = Choose<N>(samples.data(), state, accumulators_);
    CStep step{};
    step.rangeExponent = choice.rangeExponent;
    step.x = choice.rangeExponent + 4 - N;
    step.mask = -(std::int32_t{1} << step.x);
    step.half = (std::int32_t{1} << step.x) >> 1;
    rangeExponent_ = static_cast<std::int16_t>(choice.rangeExponent);
    mode_ = VexaModeLetter(choice.layout);
    mask_ = step.mask;
    halfStep_ = step.half;

    std::int32_t local[kVexaFrameSamples];
    std::int32_t* r = KeepReconstruction ? reconstruction : local;
    const std::int16_t* p = samples.data();
    switch (choice.layout) {
    case EVexaLayout::A:
        return CodeFrame<N, EVexaLayout::A>(p, state, step, frame, r);
    case EVexaLayout::B:
        return CodeFrame<N, EVexaLayout::B>(p, state, step, frame, r);
    case EVexaLayout::C:
        return CodeFrame<N, EVexaLayout::C>(p, state, step, frame, r);
    case EVexaLayout::D:
        return CodeFrame<N, EVexaLayout::D>(p, state, step, frame, r);
    case EVexaLayout::D10:
        return CodeFrame<N, EVexaLayout::D10>(p, state, step, frame, r);
    case EVexaLayout::E:
        return CodeFrame<N, EVexaLayout::E>(p, state, step, frame, r);
    case EVexaLayout::E8:
        return CodeFrame<N, EVexaLayout::E8>(p, state, step, frame, r);
    case EVexaLayout::F:
    case EVexaLayout::G: // never chosen
        break;
    }
    return CodeFrame<N, EVexaLayout::F>(p, state, step, frame, r);
}

std::int32_t compressor::Compress(int bitsPerSample, CSamples samples, std::int32_t state,
                                  std::uint8_t* frame) {
    assert(IsValidVexaBitsPerSample(bitsPerSample));
    switch (bitsPerSample) {
    case 4:
        return CompressFrame<4, false>(samples, state, frame, nullptr);
    case 5:
        return CompressFrame<5, false>(samples, state, frame, nullptr);
    case 6:
        return CompressFrame<6, false>(samples, state, frame, nullptr);
    case 7:
        return CompressFrame<7, false>(samples, state, frame, nullptr);
    default:
        return CompressFrame<8, false>(samples, state, frame, nullptr);
    }
}

std::int32_t compressor::Compress(int bitsPerSample, CSamples samples, std::int32_t state,
                                  std::uint8_t* frame, CReconstruction& reconstruction) {
    assert(IsValidVexaBitsPerSample(bitsPerSample));
    std::int32_t* r = reconstruction.data();
    switch (bitsPerSample) {
    case 4:
        return CompressFrame<4, true>(samples, state, frame, r);
    case 5:
        return CompressFrame<5, true>(samples, state, frame, r);
    case 6:
        return CompressFrame<6, true>(samples, state, frame, r);
    case 7:
        return CompressFrame<7, true>(samples, state, frame, r);
    default:
        return CompressFrame<8, true>(samples, state, frame, r);
    }
}

std::int32_t compressor::Compress(int bitsPerSample, const std::int16_t* samples,
                                  std::size_t stride, std::int32_t state, std::uint8_t* frame) {
    if (stride == 1) {
        return Compress(bitsPerSample, CSamples(samples, kVexaFrameSamples), state, frame);
    }
    // Gathered with the step known when compiling for the usual stereo: a loop with the step in
    // a register cost twice the copying.
    std::int16_t gathered[kVexaFrameSamples];
    const auto gather = [&]<std::size_t... I>(std::size_t step, std::index_sequence<I...>) {
        ((gathered[I] = samples[I * step]), ...);
    };
    if (stride == 2) {
        gather(2, std::make_index_sequence<kVexaFrameSamples>{});
    } else {
        gather(stride, std::make_index_sequence<kVexaFrameSamples>{});
    }
    return Compress(bitsPerSample, CSamples(gathered, kVexaFrameSamples), state, frame);
}

} // namespace SL::Private
