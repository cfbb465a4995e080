// The documented frames of the sampler's format, byte for byte, and the accuracy of its
// full-range mode.

#include "sl/codec/compressor.h"
#include "sl/codec/expander.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using SL::Private::compressor;
using SL::Private::expander;
using CFrame = std::array<std::int16_t, 16>;

struct CCoded {
    std::vector<std::uint8_t> bytes;
    std::int32_t state;
    char16_t mode;
    int rangeExponent;
    std::int32_t mask;
    std::int32_t halfStep;
};

CCoded Encode(int n, const CFrame& samples, std::int32_t state = 0) {
    compressor coder;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(2 * n));
    const std::int32_t next = coder.Compress(n, samples, state, bytes.data());
    return {bytes,           next,
            coder.GetMode(), coder.GetRangeExponent(),
            coder.GetMask(), coder.GetHalfStep()};
}

struct CExpanded {
    CFrame samples;
    std::int32_t state;
    char16_t mode;
    int rangeExponent;
};

CExpanded Decode(int n, const std::vector<std::uint8_t>& bytes, std::int32_t state = 0) {
    expander coder;
    CFrame samples{};
    const std::int32_t next = coder.Expand(n, bytes.data(), state, samples);
    return {samples, next, coder.GetMode(), coder.GetRangeExponent()};
}

CFrame Ramp() {
    CFrame ramp{};
    for (std::size_t i = 0; i < 16; ++i) {
        ramp[i] = static_cast<std::int16_t>(100 * i);
    }
    return ramp;
}

TEST(VexaExamples, SilenceTakesTheFinestModeForEveryN) {
    struct CExpect {
        int n;
        char16_t mode;
        int w;
    };
    const CExpect expected[] = {
        {4, u'F', 0}, {5, u'F', 1}, {6, u'E', 2}, {7, u'E', 3}, {8, u'D', 4}};
    for (const CExpect& e : expected) {
        SCOPED_TRACE(e.n);
        const CCoded coded = Encode(e.n, CFrame{});
        EXPECT_EQ(coded.mode, e.mode);
        EXPECT_EQ(coded.rangeExponent, e.w);
        EXPECT_EQ(coded.rangeExponent + 4 - e.n, 0) << "x must be 0";
        EXPECT_EQ(coded.halfStep, 0);
        EXPECT_EQ(coded.mask, -1);
        EXPECT_EQ(coded.state, 0);
        const CExpanded decoded = Decode(e.n, coded.bytes);
        EXPECT_EQ(decoded.samples, CFrame{});
        EXPECT_EQ(decoded.state, 0);
        EXPECT_EQ(decoded.mode, e.mode);
        EXPECT_EQ(decoded.rangeExponent, e.w);
    }
}

TEST(VexaExamples, SilenceFramesAreByteExact) {
    std::vector<std::uint8_t> n8(16, 0);
    n8[0] = 0xC0;
    n8[2] = 0xE0;
    EXPECT_EQ(Encode(8, CFrame{}).bytes, n8);
    std::vector<std::uint8_t> n4(8, 0);
    n4[0] = 0xC0;
    EXPECT_EQ(Encode(4, CFrame{}).bytes, n4);
}

TEST(VexaExamples, RampAtEightBits) {
    const CCoded coded = Encode(8, Ramp());
    const std::vector<std::uint8_t> bytes = {0xE5, 0x78, 0x0B, 0xBB, 0x0F, 0xF0, 0xF0, 0x00,
                                             0x3E, 0x7F, 0x3F, 0xF0, 0xF9, 0xE7, 0x00, 0x3F};
    EXPECT_EQ(coded.bytes, bytes);
    EXPECT_EQ(coded.mode, u'D');
    EXPECT_EQ(coded.rangeExponent, 5);
    EXPECT_EQ(coded.state, 1501);

    const CExpanded decoded = Decode(8, bytes);
    const CFrame expected = {1,   101, 200,  301,  401,  500,  601,  701,
                             800, 901, 1001, 1100, 1201, 1301, 1400, 1501};
    EXPECT_EQ(decoded.samples, expected);
    EXPECT_EQ(decoded.state, 1501);
}

TEST(VexaExamples, RampAtFourBits) {
    const CCoded coded = Encode(4, Ramp());
    const std::vector<std::uint8_t> bytes = {0xE5, 0x40, 0xFE, 0x3A, 0x2B, 0x80, 0xC0, 0xC0};
    EXPECT_EQ(coded.bytes, bytes);
    EXPECT_EQ(coded.mode, u'D');
    EXPECT_EQ(coded.rangeExponent, 5);
    EXPECT_EQ(coded.state, 1488);

    const CExpanded decoded = Decode(4, bytes);
    EXPECT_EQ(decoded.state, 1488);
    EXPECT_EQ(decoded.samples[15], 1488);
    const CFrame ramp = Ramp();
    for (std::size_t i = 0; i < 16; ++i) {
        // Mode D at N = 4 and W = 5 keeps every sample of a gentle ramp within a few steps.
        EXPECT_NEAR(decoded.samples[i], ramp[i], 32) << i;
    }
}

TEST(VexaExamples, ConstantThousand) {
    CFrame constant;
    constant.fill(1000);
    const CCoded coded = Encode(8, constant);
    const std::vector<std::uint8_t> bytes = {0x4F, 0xBF, 0xCF, 0xBF, 0xFF, 0xFF, 0xFF, 0xFF,
                                             0x9F, 0x7F, 0x9F, 0x7F, 0x9F, 0x3E, 0xFF, 0xFF};
    EXPECT_EQ(coded.bytes, bytes);
    EXPECT_EQ(coded.mode, u'C');
    EXPECT_EQ(coded.rangeExponent, 7);
    const CExpanded decoded = Decode(8, bytes);
    const CFrame expected = {1001, 1002, 999, 1004, 998, 1000, 998, 1004,
                             998,  1000, 998, 1004, 998, 1000, 998, 1004};
    EXPECT_EQ(decoded.samples, expected);
    EXPECT_EQ(decoded.state, 1004);
    EXPECT_EQ(coded.state, 1004);
}

// Full-scale noise leaves no room for prediction: the frame falls back to W = 13, where every
// field is the top bits of its sample.
TEST(VexaExamples, FullScaleNoiseUsesModeAWithinHalfAStep) {
    for (int n = 4; n <= 8; ++n) {
        SCOPED_TRACE(n);
        std::mt19937 rng(static_cast<std::mt19937::result_type>(1234 + n));
        std::uniform_int_distribution<int> full(-32768, 32767);
        // Fields of width N carry a step of 2^(16-N), those of width N - 1 twice that.
        const int fine = 1 << (15 - n), coarse = 1 << (16 - n);
        const auto bound = [&](int i) {
            const int inHalf = i % 8;
            const bool wide = n == 4 ? (inHalf % 2 == 0 || inHalf == 7) : inHalf % 2 == 1;
            return wide ? fine : coarse;
        };
        int modeA = 0, others = 0;
        int largestFine = 0, largestCoarse = 0;
        std::int32_t encoderState = 0, decoderState = 0;
        const int frames = 4000;
        for (int f = 0; f < frames; ++f) {
            CFrame samples;
            for (auto& s : samples) {
                s = static_cast<std::int16_t>(full(rng));
            }
            compressor encoder;
            std::vector<std::uint8_t> bytes(static_cast<std::size_t>(2 * n));
            encoderState = encoder.Compress(n, samples, encoderState, bytes.data());
            expander decoder;
            CFrame out{};
            decoderState = decoder.Expand(n, bytes.data(), decoderState, out);
            ASSERT_EQ(encoderState, decoderState);
            if (encoder.GetMode() != u'A') {
                // Now and then the predicted residuals of a noise frame all happen to stay
                // small enough for a finer range: mode B at W = 12, very rarely mode C at 11.
                EXPECT_GE(encoder.GetRangeExponent(), 11);
                ++others;
                continue;
            }
            ++modeA;
            EXPECT_EQ(encoder.GetRangeExponent(), 13);
            EXPECT_EQ(decoder.GetMode(), u'A');
            for (int i = 0; i < 16; ++i) {
                const auto at = static_cast<std::size_t>(i);
                const int error = std::abs(out[at] - samples[at]);
                ASSERT_LE(error, bound(i)) << "sample " << i;
                (bound(i) == fine ? largestFine : largestCoarse) =
                    std::max(error, bound(i) == fine ? largestFine : largestCoarse);
            }
        }
        EXPECT_GE(modeA, frames * 98 / 100);
        EXPECT_EQ(modeA + others, frames);
        // The bounds are reached: the fields really are as coarse as their width says.
        EXPECT_EQ(largestFine, fine);
        EXPECT_EQ(largestCoarse, coarse);
    }
}

} // namespace
