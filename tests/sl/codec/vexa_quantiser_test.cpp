// The edges of the residual quantiser: reconstructions pulled back into the 16-bit range, and
// a reconstruction of exactly -32768 between two odd neighbours raised by one step.

#include "sl/codec/compressor.h"
#include "sl/codec/expander.h"
#include "vexa_reference.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using SL::Private::compressor;
using SL::Private::expander;
using CFrame = std::array<std::int16_t, 16>;

// A frame that falls from the anchor a to the floor along the decoder's own predictions
// (h1 the mean of a and h3, h0 and h2 the means around h1), then stays at -32768. Mode D takes
// it at W = 9, with h3, h4 and h5 all aiming at -32768.
CFrame FallToTheFloor(std::int32_t a) {
    CFrame s;
    s.fill(-32768);
    s[1] = static_cast<std::int16_t>((a - 32768) >> 1);
    s[0] = static_cast<std::int16_t>((s[1] + a) >> 1);
    s[2] = static_cast<std::int16_t>((s[1] - 32768) >> 1);
    return s;
}

struct CCoded {
    compressor::CReconstruction reconstruction;
    std::int32_t state;
    int x;
    std::int32_t half;
};

CCoded EncodeAndCheckDecoder(int n, const CFrame& samples, std::int32_t anchor) {
    compressor encoder;
    std::array<std::uint8_t, 16> bytes{};
    CCoded coded{};
    coded.state = encoder.Compress(n, samples, anchor, bytes.data(), coded.reconstruction);
    EXPECT_EQ(encoder.GetMode(), u'D');
    EXPECT_EQ(encoder.GetRangeExponent(), 9);
    coded.x = 9 + 4 - n;
    coded.half = encoder.GetHalfStep();

    // The decoder lands on the same values, and so does the plain implementation.
    expander decoder;
    CFrame out{};
    expander::CReconstruction decoded{};
    EXPECT_EQ(decoder.Expand(n, bytes.data(), anchor, out, decoded), coded.state);
    EXPECT_EQ(decoded, coded.reconstruction);
    const auto reference = VexaReference::Encode(n, samples, anchor);
    EXPECT_EQ(reference.reconstruction, coded.reconstruction);
    EXPECT_TRUE(std::equal(reference.bytes.begin(), reference.bytes.end(), bytes.begin()));
    return coded;
}

TEST(VexaQuantiser, ReconstructionBelowTheRangeMovesUpOneStep) {
    // N = 4, W = 9: x = 9, steps of 512 centred on 256. h7 = -32768 comes back as -32512; h3
    // predicted from (-1, -32512) is -16257 and the residual -16511 quantises to -16640,
    // which would reconstruct at -32897: one step up gives -32385.
    const CCoded coded = EncodeAndCheckDecoder(4, FallToTheFloor(-1), -1);
    EXPECT_EQ(coded.reconstruction[7], -32512);
    EXPECT_EQ(coded.reconstruction[3], -32897 + 512);
    for (std::int32_t r : coded.reconstruction) {
        EXPECT_GE(r, -32768);
        EXPECT_LE(r, 32767);
    }
}

// The same climb towards +32767 from the anchor 1 at N = 4. h7 comes back as 32512; h3 is
// predicted as 16256 and its residual 16511 exceeds the field's reach of 16383, so it saturates
// to 15872 + 256 and h3 reconstructs at 32384. h5 then lands on 32704, and h4, predicted as
// 32544, would reconstruct at 32800: one step down gives 32288.
TEST(VexaQuantiser, ReconstructionAboveTheRangeMovesDownOneStep) {
    CFrame s;
    s.fill(32767);
    s[1] = static_cast<std::int16_t>((1 + 32767) >> 1);
    s[0] = static_cast<std::int16_t>((s[1] + 1) >> 1);
    s[2] = static_cast<std::int16_t>((s[1] + 32767) >> 1);
    const CCoded coded = EncodeAndCheckDecoder(4, s, 1);
    EXPECT_EQ(coded.reconstruction[7], 32512);
    EXPECT_EQ(coded.reconstruction[3], 16256 + 15872 + 256);
    EXPECT_EQ(coded.reconstruction[5], 32704);
    EXPECT_EQ(coded.reconstruction[4], 32800 - 512);
    for (std::int32_t r : coded.reconstruction) {
        EXPECT_LE(r, 32767);
    }
    const auto reference = VexaReference::Encode(4, s, 1);
    EXPECT_GT(reference.pullIns, 0);
    EXPECT_GT(reference.saturations, 0);
}

// With x >= 2 every direct field reconstructs even, so only an odd anchor (left by a frame
// coded at x = 1) lets two odd neighbours meet at the floor: these anchors make h4 do so.
TEST(VexaQuantiser, FloorBetweenOddNeighboursIsRaisedOneStep) {
    const std::array<std::int32_t, 5> anchors = {-937, -297, -233, -73, -57}; // N = 4 .. 8
    for (int n = 4; n <= 8; ++n) {
        SCOPED_TRACE(n);
        const std::int32_t anchor = anchors[static_cast<std::size_t>(n - 4)];
        const CCoded coded = EncodeAndCheckDecoder(n, FallToTheFloor(anchor), anchor);
        const std::int32_t r3 = coded.reconstruction[3], r5 = coded.reconstruction[5];
        ASSERT_EQ(r3 & 1, 1);
        ASSERT_EQ(r5 & 1, 1);
        // Without the rule h4 = -32768 would reconstruct exactly on the floor.
        const std::int32_t pred = (r3 + r5) >> 1;
        const std::int32_t step = 1 << coded.x;
        ASSERT_EQ((((-32768 - pred) % step) + step) % step, coded.half);
        EXPECT_EQ(coded.reconstruction[4], -32768 + 2 * coded.half);
        EXPECT_EQ(VexaReference::Encode(n, FallToTheFloor(anchor), anchor).oddRaises, 1);
    }
}

} // namespace
