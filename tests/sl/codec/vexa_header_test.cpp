// How the decoder reads the frame header code, and the frames only the sampler itself writes.

#include "sl/codec/expander.h"
#include "vexa_reference.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using SL::Private::expander;
using CFrame = std::array<std::int16_t, 16>;

// Places header code c into a frame of otherwise arbitrary bytes: the top nibble of P0 and of
// Q0. P0 is byte 0 for every N, Q0 is byte N for N = 4 and byte 2 otherwise.
std::vector<std::uint8_t> FrameWithHeader(int n, std::uint32_t c, std::mt19937& rng) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(2 * n));
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 255)(rng));
    }
    const std::size_t q0 = n == 4 ? 4 : 2;
    bytes[0] = static_cast<std::uint8_t>((bytes[0] & 0x0F) | (c & 0xF0));
    bytes[q0] = static_cast<std::uint8_t>((bytes[q0] & 0x0F) | ((c & 0x0F) << 4));
    return bytes;
}

TEST(VexaHeader, EveryCodeBelongsToExactlyOneTableRowAndDecodesAsIt) {
    std::mt19937 rng(42);
    for (int n = 4; n <= 8; ++n) {
        for (std::uint32_t c = 0; c < 256; ++c) {
            SCOPED_TRACE(testing::Message() << "N " << n << " code " << std::hex << c);
            const auto claims = VexaReference::ClassifyByTable(c, n);
            ASSERT_EQ(claims.size(), 1u);
            const int w = claims[0].rangeExponent;
            expander decoder;
            for (int trial = 0; trial < 8; ++trial) {
                const auto bytes = FrameWithHeader(n, c, rng);
                CFrame out{};
                const std::int32_t state = trial == 0 ? INT32_MIN : trial == 1 ? INT32_MAX : 0;
                decoder.Expand(n, bytes.data(), state, out);
                ASSERT_EQ(decoder.GetMode(), static_cast<char16_t>(claims[0].mode));
                ASSERT_EQ(decoder.GetRangeExponent(), w);
                ASSERT_EQ(decoder.GetMask(), -(1 << (w + 4)) >> n);
                ASSERT_EQ(decoder.GetHalfStep(), (1 << (w + 4)) >> (n + 1));
            }
        }
    }
}

TEST(VexaHeader, ModeGCodes) {
    std::mt19937 rng(7);
    expander decoder;
    CFrame out{};
    const auto decodeAs = [&](int n, std::uint32_t c) {
        const auto bytes = FrameWithHeader(n, c, rng);
        decoder.Expand(n, bytes.data(), 0, out);
        return std::pair<char16_t, int>{decoder.GetMode(), decoder.GetRangeExponent()};
    };
    EXPECT_EQ(decodeAs(4, 0xEE), std::make_pair(u'G', 0));
    EXPECT_EQ(decodeAs(4, 0xEF), std::make_pair(u'G', 1));
    for (int n = 5; n <= 8; ++n) {
        EXPECT_EQ(decodeAs(n, 0xFB), std::make_pair(u'G', 0));
        EXPECT_EQ(decodeAs(n, 0xFC), std::make_pair(u'G', 1));
        EXPECT_EQ(decodeAs(n, 0xFD), std::make_pair(u'G', -3));
        EXPECT_EQ(decodeAs(n, 0xFE), std::make_pair(u'G', -2));
        EXPECT_EQ(decodeAs(n, 0xFF), std::make_pair(u'G', -1));
    }
    // Elsewhere those codes mean something else.
    EXPECT_EQ(decodeAs(4, 0xFE), std::make_pair(u'D', 10));
    EXPECT_EQ(decodeAs(4, 0xFF), std::make_pair(u'B', 12));
    EXPECT_EQ(decodeAs(8, 0xEE), std::make_pair(u'B', 12));
    EXPECT_EQ(decodeAs(8, 0xEF), std::make_pair(u'A', 13));
    EXPECT_EQ(decodeAs(8, 0xFA), std::make_pair(u'D', 10));
}

// An 8-bit-per-sample frame put together field by field.
struct CHalf {
    std::string header;
    std::array<int, 8> widthH7First;
    std::array<int, 8> fieldH7First;
};

std::vector<std::uint8_t> BuildFrame8(const CHalf& first, const CHalf& second) {
    const auto bytesOf = [](const CHalf& half) {
        std::string bits = half.header;
        for (std::size_t i = 0; i < 8; ++i) {
            for (int b = half.widthH7First[i] - 1; b >= 0; --b) {
                bits += ((half.fieldH7First[i] >> b) & 1) != 0 ? '1' : '0';
            }
        }
        EXPECT_EQ(bits.size(), 64u);
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < 8; ++i) {
            bytes.push_back(
                static_cast<std::uint8_t>(std::stoi(bits.substr(8 * i, 8), nullptr, 2)));
        }
        return bytes;
    };
    const auto p = bytesOf(first), q = bytesOf(second);
    std::vector<std::uint8_t> frame;
    for (std::size_t i = 0; i < 8; i += 2) {
        frame.insert(frame.end(), {p[i], p[i + 1], q[i], q[i + 1]});
    }
    return frame;
}

// Mode G at W = -3: the step exponent is negative, so the h7 field is shifted down by 7 bits
// and the other fields, whose shift count reaches 32, are not shifted at all. The predictions
// then run on in wrapping 32-bit arithmetic.
TEST(VexaHeader, ModeGWithNegativeRangeWrapsTheShiftAndTheArithmetic) {
    const std::array<int, 8> widths = {11, 7, 7, 7, 7, 7, 7, 7};
    //                      h7    h6  h5   h4  h3 h2 h1  h0
    const CHalf first{"1111", widths, {1023, 0, -64, -1, 1, 0, 63, 0}};
    const CHalf second{"1101", widths, {-1, 0, 0, 0, 0, 0, 0, 0}};
    const auto bytes = BuildFrame8(first, second);

    expander decoder;
    CFrame out{};
    expander::CReconstruction r{};
    const std::int32_t state = decoder.Expand(8, bytes.data(), 1 << 30, out, r);
    EXPECT_EQ(decoder.GetMode(), u'G');
    EXPECT_EQ(decoder.GetRangeExponent(), -3);
    EXPECT_EQ(decoder.GetMask(), -1);
    EXPECT_EQ(decoder.GetHalfStep(), 0);

    const expander::CReconstruction expected = {// h0..h7 of the first half, anchored on 2^30
                                                -142606336, -1358954495, -394264574, 570425347,
                                                -679477244, -1862270971, -931135482, 7,
                                                // the second half, anchored on 7
                                                6, 5, 4, 3, 2, 1, 0, -1};
    EXPECT_EQ(r, expected);
    EXPECT_EQ(state, -1);
    for (std::size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(out[i], static_cast<std::int16_t>(static_cast<std::uint16_t>(expected[i])));
    }
}

// In modes D, E and F the decoder caps h2 and h4 at 32767 and lets every other sample wrap.
TEST(VexaHeader, ModeDClampsEvenSamplesTwoAndFourFromAboveOnly) {
    // D at N = 8, W = 9: v = 60 = 111 100, x = 5, every field counts in steps of 32 plus 16.
    const std::array<int, 8> widths = {11, 6, 8, 6, 10, 6, 8, 6};
    const CHalf zero{"100", widths, {0, 0, 0, 0, 0, 0, 0, 0}};

    expander decoder;
    CFrame out{};
    expander::CReconstruction r{};
    //                                     h7  h6  h5 h4  h3 h2 h1 h0
    const auto up = BuildFrame8({"111", widths, {1023, -32, 0, 0, 511, 0, 0, 0}}, zero);
    EXPECT_EQ(decoder.Expand(8, up.data(), 32767, out, r), 16);
    EXPECT_EQ(decoder.GetMode(), u'D');
    EXPECT_EQ(decoder.GetRangeExponent(), 9);
    const expander::CReconstruction upExpected = {36881, 40963, 45061, 49127, 45057, 40955,
                                                  35845, 32752, 28688, 24592, 20512, 16400,
                                                  12328, 8224,  4136,  16};
    EXPECT_EQ(r, upExpected);
    const CFrame upOut = {-28655, -24573, 32767, -16409, 32767, -24581, -29691, 32752,
                          28688,  24592,  20512, 16400,  12328, 8224,   4136,   16};
    EXPECT_EQ(out, upOut);

    const auto down = BuildFrame8({"111", widths, {-1024, 0, 0, 0, -512, -32, -128, 0}}, zero);
    EXPECT_EQ(decoder.Expand(8, down.data(), -32768, out, r), 16);
    const expander::CReconstruction downExpected = {-38882, -45028, -48086, -49128, -45010, -40924,
                                                    -36822, -32752, -28628, -24536, -20428, -16352,
                                                    -12236, -8152,  -4052,  16};
    EXPECT_EQ(r, downExpected);
    const CFrame downOut = {26654,  20508,  17450,  16408,  20526,  24612, 28714, -32752,
                            -28628, -24536, -20428, -16352, -12236, -8152, -4052, 16};
    EXPECT_EQ(out, downOut);
}

} // namespace
