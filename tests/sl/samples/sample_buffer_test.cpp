#include "sl/samples/sample_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using SL::CSampleAttribute;
using SL::CSampleBuffer;
using SL::CSampleTag;

CSampleAttribute Attribute(int tag, int channels, int length, int endianness = 1) {
    return CSampleAttribute(SL::CBitDepth(tag), 44100.0, channels, length, endianness);
}

template <int Tag>
std::vector<SL::SampleValue<Tag>> ReadAll(CSampleBuffer<Tag>& buffer) {
    std::vector<SL::SampleValue<Tag>> values;
    for (auto it = buffer.CreateInputIteratorAtBegin(); it->IsValid(); it->Advance()) {
        values.push_back(it->GetValue());
    }
    return values;
}

TEST(SampleAttributeTest, NewAttributeIsLittleEndianAndEmpty) {
    const CSampleAttribute attribute;
    EXPECT_EQ(attribute.GetEndianness(), 1);
    EXPECT_TRUE(attribute.IsLittleEndian());
    EXPECT_EQ(attribute.GetBitDepth().GetValue(), 0);
    EXPECT_EQ(attribute.GetSampleRate(), 0.0);
    EXPECT_EQ(attribute.GetChannelCount(), 0);
    EXPECT_EQ(attribute.GetLength(), 0);
    EXPECT_EQ(attribute.GetBytesPerFrame(), 0);
    const auto stereo = Attribute(CSampleTag::Integer24, 2, 10, 0);
    EXPECT_EQ(stereo.GetBytesPerSample(), 3);
    EXPECT_EQ(stereo.GetBytesPerFrame(), 6);
    EXPECT_EQ(stereo.GetSampleCount(), 20);
    EXPECT_TRUE(stereo.IsBigEndian());
    CSampleAttribute copy = stereo;
    EXPECT_EQ(copy, stereo);
    copy.SetEndianness(1);
    EXPECT_FALSE(copy == stereo);
    EXPECT_EQ(stereo.GetEndianness(), 0);
}

TEST(SampleBufferTest, LayoutAndFrameAddressing) {
    CSampleBuffer<CSampleTag::Integer16> buffer(Attribute(CSampleTag::Integer16, 2, 100));
    EXPECT_TRUE(buffer.IsInMemory());
    EXPECT_EQ(buffer.GetLast() - buffer.GetFirst(), 400);
    EXPECT_EQ(buffer.GetFrame(7), buffer.GetFirst() + 28);
    EXPECT_EQ(buffer.GetFrame(100), buffer.GetLast());
    EXPECT_EQ(buffer.GetFrame(1000), buffer.GetLast());
    EXPECT_EQ(buffer.GetFrame(-3), buffer.GetFirst());
    EXPECT_EQ(buffer.GetBeginOffset(), 0);
    EXPECT_EQ(buffer.GetEndOffset(), 400);
    EXPECT_EQ(buffer.CreateLocator(6)->GetAddress(), buffer.GetFirst() + 6);
    EXPECT_EQ(buffer.GetReadableSampleCount(), 200);
    // The buffer's representation is its tag.
    CSampleBuffer<CSampleTag::Float32> floats(Attribute(CSampleTag::Integer16, 1, 4));
    EXPECT_EQ(floats.GetAttribute().GetBitDepth().GetValue(), CSampleTag::Float32);
    EXPECT_EQ(floats.GetEndOffset(), 16);
}

TEST(SampleBufferTest, AdoptedBytesDefineTheLength) {
    CSampleBuffer<CSampleTag::Integer24> buffer(Attribute(CSampleTag::Integer24, 2, 99),
                                                std::vector<std::uint8_t>(6 * 5 + 4));
    EXPECT_EQ(buffer.GetAttribute().GetLength(), 5);
}

TEST(SampleBufferTest, IteratorsUseTheBufferByteOrderAndStayInside) {
    CSampleBuffer<CSampleTag::Integer16> buffer(Attribute(CSampleTag::Integer16, 1, 3, 0));
    auto out = buffer.CreateOutputIteratorAtBegin();
    EXPECT_EQ(out->GetAttribute().GetEndianness(), 1);
    const std::int16_t values[] = {0x1234, -2, 0x7F00};
    for (const auto value : values) {
        ASSERT_TRUE(out->IsValid());
        out->SetValue(value);
        out->Advance();
    }
    EXPECT_FALSE(out->IsValid());
    out->SetValue(0x5555); // dropped: there is no room
    EXPECT_TRUE(out->Finish());
    EXPECT_EQ(buffer.GetBytes(), (std::vector<std::uint8_t>{0x12, 0x34, 0xFF, 0xFE, 0x7F, 0x00}));
    EXPECT_EQ(ReadAll(buffer), (std::vector<std::int16_t>{0x1234, -2, 0x7F00}));
    auto atEnd = buffer.CreateInputIteratorAtEnd();
    EXPECT_FALSE(atEnd->IsValid());
    EXPECT_EQ(atEnd->GetValue(), 0);
}

TEST(SampleBufferTest, FrameIteratorsStartAtTheirFrame) {
    CSampleBuffer<CSampleTag::Integer32> buffer(Attribute(CSampleTag::Integer32, 2, 4));
    auto out = buffer.CreateOutputIteratorAtBegin();
    for (int i = 0; out->IsValid(); ++i, out->Advance()) {
        out->SetValue(i * 10);
    }
    auto third = buffer.CreateInputIteratorAtFrame(2);
    EXPECT_EQ(third->GetValue(), 40);
    third->Advance();
    EXPECT_EQ(third->GetValue(), 50);
    auto overwrite = buffer.CreateOutputIteratorAtFrame(3);
    overwrite->SetValue(-1);
    EXPECT_EQ(buffer.CreateInputIterator(24)->GetValue(), -1);
    EXPECT_FALSE(buffer.CreateInputIteratorAtFrame(4)->IsValid());
    EXPECT_FALSE(buffer.CreateInputIterator(1000)->IsValid());
    EXPECT_EQ(buffer.CreateInputIterator(-8)->GetValue(), 0);
}

TEST(SampleBufferTest, PerChannelPeaks) {
    CSampleBuffer<CSampleTag::Integer16> buffer(Attribute(CSampleTag::Integer16, 2, 3, 0));
    auto out = buffer.CreateOutputIteratorAtBegin();
    for (const int value : {100, -32768, -300, 5, 200, 32767}) {
        out->SetValue(static_cast<std::int16_t>(value));
        out->Advance();
    }
    EXPECT_EQ(buffer.GetPeaks(), (std::vector<double>{300.0, 32768.0}));

    CSampleBuffer<CSampleTag::Float64> floats(Attribute(CSampleTag::Float64, 1, 2));
    auto floatOut = floats.CreateOutputIteratorAtBegin();
    floatOut->SetValue(-0.75);
    floatOut->Advance();
    floatOut->SetValue(0.5);
    EXPECT_EQ(floats.GetPeaks(), (std::vector<double>{0.75}));

    // Unsigned 8-bit silence is 128.
    CSampleBuffer<CSampleTag::Integer8> bytes(Attribute(CSampleTag::Integer8, 1, 3),
                                              std::vector<std::uint8_t>{128, 20, 200});
    EXPECT_EQ(bytes.GetPeaks(), (std::vector<double>{108.0}));

    CSampleBuffer<CSampleTag::Integer16> noChannels(Attribute(CSampleTag::Integer16, 0, 3));
    EXPECT_TRUE(noChannels.GetPeaks().empty());
}

TEST(SampleIncrementerTest, LinearStepsByWidth) {
    SL::CLinearSampleIncrementer<3> incrementer;
    EXPECT_EQ(incrementer.GetStartOffset(), 0);
    EXPECT_EQ(incrementer.Next(), 3);
    EXPECT_EQ(incrementer.Next(), 3);
}

TEST(SampleIncrementerTest, SelectedChannelsCycleThroughTheirSteps) {
    SL::CSampleIncrementer<2> incrementer(5, {0, 1, 3});
    EXPECT_EQ(incrementer.GetStartOffset(), 0);
    EXPECT_EQ(incrementer.Next(), 2);
    EXPECT_EQ(incrementer.Next(), 4);
    auto clone = incrementer.Clone();
    EXPECT_FALSE(clone->IsSame(incrementer));
    EXPECT_TRUE(incrementer.IsSame(incrementer));
    // From channel 3 to channel 0 of the next frame: 5 - 3 + 0 channels.
    EXPECT_EQ(incrementer.Next(), 4);
    EXPECT_EQ(incrementer.Next(), 2);
    // The clone carries on from where the original was when it was cloned.
    EXPECT_EQ(clone->Next(), 4);
    EXPECT_EQ(clone->Next(), 2);

    SL::CSampleIncrementer<4> single(3, {2});
    EXPECT_EQ(single.GetStartOffset(), 8);
    EXPECT_EQ(single.Next(), 12);
    EXPECT_EQ(single.Next(), 12);
}

TEST(SampleIncrementerTest, UnusableSelectionsStillMoveForward) {
    SL::CSampleIncrementer<2> unordered(4, {3, 1, 1, 9, -2});
    EXPECT_EQ(unordered.GetStartOffset(), 2);
    EXPECT_EQ(unordered.GetSteps(), (std::vector<std::ptrdiff_t>{4, 4}));
    SL::CSampleIncrementer<2> none(2, {});
    EXPECT_EQ(none.GetSteps(), (std::vector<std::ptrdiff_t>{2, 2}));
    SL::CSampleIncrementer<2> noChannels(0, {0});
    EXPECT_EQ(noChannels.GetSteps(), (std::vector<std::ptrdiff_t>{2}));
}

TEST(SampleEndianConverterTest, WalksOneChannelOfAStereoBuffer) {
    CSampleBuffer<CSampleTag::Integer24> buffer(Attribute(CSampleTag::Integer24, 2, 3, 0));
    auto out = buffer.CreateOutputIteratorAtBegin();
    for (std::int32_t value = 1; out->IsValid(); ++value, out->Advance()) {
        out->SetValue(value * (value % 2 ? 1 : -1000));
    }
    auto incrementer = std::make_shared<SL::CSampleIncrementer<3>>(2, std::vector<int>{1});
    SL::CSampleEndianConverter<CSampleTag::Integer24> converter(
        buffer.CreateLocator(incrementer->GetStartOffset()), incrementer, 0);
    EXPECT_TRUE(converter.IsReversing());
    std::vector<std::int32_t> right;
    for (int frame = 0; frame < 3; ++frame) {
        right.push_back(converter.Get());
        converter.Advance();
    }
    EXPECT_EQ(right, (std::vector<std::int32_t>{-2000, -4000, -6000}));
    EXPECT_EQ(converter.GetLocator()->GetAddress(), buffer.GetLast() + 3);
    converter.SetEndianness(1);
    EXPECT_FALSE(converter.IsReversing());
}

TEST(ByteSampleLocatorTest, AdvanceCloneAndEquality) {
    std::uint8_t bytes[8] = {};
    SL::CByteSampleLocator locator(bytes);
    EXPECT_EQ(locator.Advance(5), 5);
    EXPECT_EQ(locator.Advance(-2), -2);
    EXPECT_EQ(locator.GetAddress(), bytes + 3);
    auto clone = locator.Clone();
    EXPECT_TRUE(clone->Equals(locator));
    EXPECT_FALSE(clone->IsSame(locator));
    clone->Advance(1);
    EXPECT_FALSE(clone->Equals(locator));
}

} // namespace
