#include "sample_values.h"

#include "sl/samples/sample_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

using SL::CSampleBytes;
using SL::CSampleTag;

template <int Tag>
struct CTagConstant {
    static constexpr int Value = Tag;
};

template <class TagConstant>
class SampleBytesTest : public testing::Test {};

using StreamableTags =
    testing::Types<CTagConstant<CSampleTag::Integer8>, CTagConstant<CSampleTag::Integer16>,
                   CTagConstant<CSampleTag::Integer24>, CTagConstant<CSampleTag::Integer32>,
                   CTagConstant<CSampleTag::Float32>, CTagConstant<CSampleTag::Float64>>;
TYPED_TEST_SUITE(SampleBytesTest, StreamableTags);

TYPED_TEST(SampleBytesTest, RoundTripInBothOrdersAndBigEndianIsTheReverse) {
    constexpr int Tag = TypeParam::Value;
    constexpr std::size_t Width = SL::SampleWidth<Tag>;
    for (const auto value : SL::Testing::MakeSampleValues<Tag>(200)) {
        std::array<std::uint8_t, Width> little{};
        std::array<std::uint8_t, Width> big{};
        CSampleBytes<Tag>::Store(value, little.data(), false);
        CSampleBytes<Tag>::Store(value, big.data(), true);
        EXPECT_EQ(CSampleBytes<Tag>::Load(little.data(), false), value);
        EXPECT_EQ(CSampleBytes<Tag>::Load(big.data(), true), value);
        std::reverse(big.begin(), big.end());
        EXPECT_EQ(big, little);
        if constexpr (Tag != CSampleTag::Integer24) {
            // Little-endian is the machine's own order: the bytes are the value's memory image.
            EXPECT_EQ(std::memcmp(little.data(), &value, Width), 0);
        }
    }
}

TEST(SampleBytes24Test, SignExtendsTheHighByte) {
    const std::uint8_t largest[] = {0xFF, 0xFF, 0x7F};
    const std::uint8_t smallest[] = {0x00, 0x00, 0x80};
    const std::uint8_t minusOne[] = {0xFF, 0xFF, 0xFF};
    const std::uint8_t mixed[] = {0x01, 0x02, 0x83};
    EXPECT_EQ(CSampleBytes<CSampleTag::Integer24>::Load(largest, false), 8388607);
    EXPECT_EQ(CSampleBytes<CSampleTag::Integer24>::Load(smallest, false), -8388608);
    EXPECT_EQ(CSampleBytes<CSampleTag::Integer24>::Load(minusOne, false), -1);
    EXPECT_EQ(CSampleBytes<CSampleTag::Integer24>::Load(mixed, false), -0x7CFDFF);
    // In big-endian order the first byte is the high one.
    const std::uint8_t bigLargest[] = {0x7F, 0xFF, 0xFF};
    const std::uint8_t bigSmallest[] = {0x80, 0x00, 0x00};
    EXPECT_EQ(CSampleBytes<CSampleTag::Integer24>::Load(bigLargest, true), 8388607);
    EXPECT_EQ(CSampleBytes<CSampleTag::Integer24>::Load(bigSmallest, true), -8388608);
}

TEST(SampleBytes24Test, StoresTheLowerThreeBytes) {
    std::uint8_t bytes[4] = {0, 0, 0, 0x5A};
    CSampleBytes<CSampleTag::Integer24>::Store(0x123456, bytes, false);
    EXPECT_EQ(bytes[0], 0x56);
    EXPECT_EQ(bytes[1], 0x34);
    EXPECT_EQ(bytes[2], 0x12);
    EXPECT_EQ(bytes[3], 0x5A) << "wrote past the sample";
    CSampleBytes<CSampleTag::Integer24>::Store(-8388608, bytes, true);
    EXPECT_EQ(bytes[0], 0x80);
    EXPECT_EQ(bytes[1], 0x00);
    EXPECT_EQ(bytes[2], 0x00);
}

TEST(SampleBytes16Test, BigAndLittleEndianReadings) {
    const std::uint8_t bytes[] = {0x12, 0x34};
    EXPECT_EQ(CSampleBytes<CSampleTag::Integer16>::Load(bytes, true), 0x1234);
    EXPECT_EQ(CSampleBytes<CSampleTag::Integer16>::Load(bytes, false), 0x3412);
}

TEST(SampleBytesTwoComponentTest, EachComponentHasItsOwnByteOrder) {
    std::uint8_t bytes[16];
    CSampleBytes<CSampleTag::Complex32>::Store({1.5f, -2.0f}, bytes, true);
    EXPECT_EQ(CSampleBytes<CSampleTag::Float32>::Load(bytes, true), 1.5f);
    EXPECT_EQ(CSampleBytes<CSampleTag::Float32>::Load(bytes + 4, true), -2.0f);
    CSampleBytes<CSampleTag::Point64>::Store({3.0, 4.0}, bytes, false);
    EXPECT_EQ((CSampleBytes<CSampleTag::Point64>::Load(bytes, false)),
              (SL::CSamplePoint{3.0, 4.0}));
    EXPECT_EQ(CSampleBytes<CSampleTag::Float64>::Load(bytes + 8, false), 4.0);
}

} // namespace
