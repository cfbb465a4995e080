#include "sl/samples/interleaved_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using SL::CInterleavedBuffer;
using SL::CSampleTag;

template <int Tag>
std::vector<double> Read(const std::vector<std::uint8_t>& bytes, int channels, int first, int run,
                         int endianness = 1) {
    std::vector<double> values;
    CInterleavedBuffer<Tag>(bytes.data(), bytes.size(), channels, first, run, endianness)
        .AppendTo(values);
    return values;
}

template <int Tag>
std::vector<std::uint8_t> Encode(const std::vector<SL::SampleValue<Tag>>& values,
                                 bool reverse = false) {
    std::vector<std::uint8_t> bytes(values.size() * SL::SampleWidth<Tag>);
    for (std::size_t i = 0; i < values.size(); ++i) {
        SL::CSampleBytes<Tag>::Store(values[i], bytes.data() + i * SL::SampleWidth<Tag>, reverse);
    }
    return bytes;
}

TEST(InterleavedBufferTest, IntegerScaling) {
    EXPECT_EQ(Read<CSampleTag::Integer8>({128, 255, 0}, 1, 0, 1),
              (std::vector<double>{0.0, 1.0, -128.0 / 127.0}));
    EXPECT_EQ(
        Read<CSampleTag::Integer16>(Encode<CSampleTag::Integer16>({32767, -32768, 0}), 1, 0, 1),
        (std::vector<double>{1.0, -32768.0 / 32767.0, 0.0}));
    EXPECT_EQ(Read<CSampleTag::Integer24>({0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80}, 1, 0, 1),
              (std::vector<double>{1.0, -8388608.0 / 8388607.0}));
    EXPECT_EQ(Read<CSampleTag::Integer32>(
                  Encode<CSampleTag::Integer32>({2147483647, -2147483647 - 1}), 1, 0, 1),
              (std::vector<double>{1.0, -2147483648.0 / 2147483647.0}));
}

TEST(InterleavedBufferTest, FloatsAndByteOrder) {
    EXPECT_EQ(
        Read<CSampleTag::Float32>(Encode<CSampleTag::Float32>({0.5f, -0.25f}, true), 1, 0, 1, 0),
        (std::vector<double>{0.5, -0.25}));
    EXPECT_EQ(Read<CSampleTag::Float64>(Encode<CSampleTag::Float64>({0.1, -3.0}), 1, 0, 1),
              (std::vector<double>{0.1, -3.0}));
    EXPECT_EQ(Read<CSampleTag::Integer16>({0x12, 0x34}, 1, 0, 1, 0),
              (std::vector<double>{0x1234 / 32767.0}));
}

TEST(InterleavedBufferTest, TwoComponentKinds) {
    EXPECT_EQ(Read<CSampleTag::Complex32>(Encode<CSampleTag::Complex32>({{0.5f, 9.0f}}), 1, 0, 1),
              (std::vector<double>{0.5}));
    EXPECT_EQ(Read<CSampleTag::Complex64>(Encode<CSampleTag::Complex64>({{-0.5, 9.0}}), 1, 0, 1),
              (std::vector<double>{-0.5}));
    EXPECT_EQ(Read<CSampleTag::Point64>(Encode<CSampleTag::Point64>({{3.0, 0.75}}), 1, 0, 1),
              (std::vector<double>{0.75}));
}

TEST(InterleavedBufferTest, VisitsARunOfChannelsFrameAfterFrame) {
    // Four channels, three frames: the value is 10 × frame + channel.
    std::vector<std::int16_t> values;
    for (int frame = 0; frame < 3; ++frame) {
        for (int channel = 0; channel < 4; ++channel) {
            values.push_back(static_cast<std::int16_t>(10 * frame + channel));
        }
    }
    const auto bytes = Encode<CSampleTag::Integer16>(values);
    std::vector<double> expected;
    for (const int value : {1, 2, 11, 12, 21, 22}) {
        expected.push_back(value / 32767.0);
    }
    EXPECT_EQ(Read<CSampleTag::Integer16>(bytes, 4, 1, 2), expected);
    EXPECT_EQ(Read<CSampleTag::Integer16>(bytes, 4, 3, 1),
              (std::vector<double>{3 / 32767.0, 13 / 32767.0, 23 / 32767.0}));
    CInterleavedBuffer<CSampleTag::Integer16> all(bytes.data(), bytes.size(), 4);
    EXPECT_EQ(all.GetSampleCount(), 12u);
    EXPECT_EQ(std::vector<double>(all.begin(), all.end()).size(), 12u);
}

TEST(InterleavedBufferTest, OnlyWholeFramesAndSensibleRuns) {
    const std::vector<std::uint8_t> bytes = {0, 1, 2, 3, 4, 5, 6};
    CInterleavedBuffer<CSampleTag::Integer16> stereo(bytes.data(), bytes.size(), 2);
    EXPECT_EQ(stereo.GetFrameCount(), 1u);
    EXPECT_TRUE(Read<CSampleTag::Integer16>(bytes, 2, 1, 2).empty());
    EXPECT_TRUE(Read<CSampleTag::Integer16>(bytes, 0, 0, 1).empty());
    EXPECT_TRUE(Read<CSampleTag::Integer16>(bytes, 2, -1, 1).empty());
    EXPECT_TRUE(Read<CSampleTag::Integer16>(bytes, 2, 0, 0).empty());
    EXPECT_TRUE(Read<CSampleTag::Integer24>({1, 2}, 1, 0, 1).empty());
}

} // namespace
