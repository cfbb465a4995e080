#include "sl/samples/file_input_sample_iterator.h"
#include "sl/samples/file_output_sample_iterator.h"
#include "sl/samples/sample_buffer.h"
#include "sl/samples/sample_transformer.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using SL::CSampleAttribute;
using SL::CSampleBuffer;
using SL::CSampleTag;
using SL::ISampleTransformer;

CSampleAttribute Attribute(int tag, int channels, int length, int endianness = 1) {
    return CSampleAttribute(SL::CBitDepth(tag), 44100.0, channels, length, endianness);
}

// A little-endian 16-bit file iterator over the values 1..count.
std::unique_ptr<SL::CFileInputSampleIterator<CSampleTag::Integer16>> Counting(int count) {
    std::string bytes;
    for (int value = 1; value <= count; ++value) {
        bytes.push_back(static_cast<char>(value));
        bytes.push_back(0);
    }
    return std::make_unique<SL::CFileInputSampleIterator<CSampleTag::Integer16>>(
        Attribute(CSampleTag::Integer16, 1, count), std::make_shared<std::istringstream>(bytes), 0,
        std::int64_t(bytes.size()));
}

template <int Tag>
std::vector<SL::SampleValue<Tag>> Values(CSampleBuffer<Tag>& buffer) {
    std::vector<SL::SampleValue<Tag>> values;
    for (auto it = buffer.CreateInputIteratorAtBegin(); it->IsValid(); it->Advance()) {
        values.push_back(it->GetValue());
    }
    return values;
}

template <int Tag>
void Fill(CSampleBuffer<Tag>& buffer, SL::SampleValue<Tag> value) {
    for (auto it = buffer.CreateOutputIteratorAtBegin(); it->IsValid(); it->Advance()) {
        it->SetValue(value);
    }
}

TEST(SampleTransformerTest, ShortSourceWithFillLeavesZerosBehind) {
    SL::CSampleTransformer<CSampleTag::Integer16> transformer;
    CSampleBuffer<CSampleTag::Integer16> buffer(Attribute(CSampleTag::Integer16, 1, 16));
    Fill<CSampleTag::Integer16>(buffer, -5);
    auto source = Counting(10);
    EXPECT_EQ(transformer.Transfer(*source, buffer, ISampleTransformer::FillDestination),
              ISampleTransformer::SourceEnded);
    EXPECT_EQ(Values(buffer),
              (std::vector<std::int16_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(source->IsGood());
}

TEST(SampleTransformerTest, LongSourceWithSkipIsLeftAtItsEnd) {
    SL::CSampleTransformer<CSampleTag::Integer16> transformer;
    CSampleBuffer<CSampleTag::Integer16> buffer(Attribute(CSampleTag::Integer16, 1, 16));
    auto source = Counting(20);
    EXPECT_EQ(transformer.Transfer(*source, buffer, ISampleTransformer::SkipSource),
              ISampleTransformer::DestinationFull);
    EXPECT_FALSE(source->IsValid());
    EXPECT_TRUE(source->IsGood());
    EXPECT_EQ(Values(buffer).back(), 16);
}

TEST(SampleTransformerTest, CopyOnlyLeavesTheRestOfBoth) {
    SL::CSampleTransformer<CSampleTag::Integer16> transformer;
    CSampleBuffer<CSampleTag::Integer16> buffer(Attribute(CSampleTag::Integer16, 1, 16));
    auto source = Counting(20);
    EXPECT_EQ(transformer.Transfer(*source, buffer, ISampleTransformer::CopyOnly),
              ISampleTransformer::DestinationFull);
    ASSERT_TRUE(source->IsValid());
    EXPECT_EQ(source->GetValue(), 17);

    Fill<CSampleTag::Integer16>(buffer, -5);
    auto shortSource = Counting(3);
    EXPECT_EQ(transformer.Transfer(*shortSource, buffer, ISampleTransformer::CopyOnly),
              ISampleTransformer::SourceEnded);
    EXPECT_EQ(Values(buffer)[3], -5);
}

TEST(SampleTransformerTest, EqualLengthsEndTogether) {
    SL::CSampleTransformer<CSampleTag::Integer16> transformer;
    CSampleBuffer<CSampleTag::Integer16> buffer(Attribute(CSampleTag::Integer16, 2, 8));
    auto source = Counting(16);
    EXPECT_EQ(
        transformer.Transfer(*source, buffer, ISampleTransformer::SkipSourceAndFillDestination),
        ISampleTransformer::BothEnded);
    EXPECT_EQ(Values(buffer).back(), 16);
}

TEST(SampleTransformerTest, SkipAndFillTreatsBothSides) {
    SL::CSampleTransformer<CSampleTag::Integer16> transformer;
    CSampleBuffer<CSampleTag::Integer16> small(Attribute(CSampleTag::Integer16, 1, 4));
    auto longSource = Counting(9);
    EXPECT_EQ(
        transformer.Transfer(*longSource, small, ISampleTransformer::SkipSourceAndFillDestination),
        ISampleTransformer::DestinationFull);
    EXPECT_FALSE(longSource->IsValid());

    CSampleBuffer<CSampleTag::Integer16> large(Attribute(CSampleTag::Integer16, 1, 6));
    Fill<CSampleTag::Integer16>(large, 9);
    auto shortSource = Counting(2);
    EXPECT_EQ(
        transformer.Transfer(*shortSource, large, ISampleTransformer::SkipSourceAndFillDestination),
        ISampleTransformer::SourceEnded);
    EXPECT_EQ(Values(large), (std::vector<std::int16_t>{1, 2, 0, 0, 0, 0}));
}

TEST(SampleTransformerTest, EightBitFillIsZeroBytes) {
    SL::CSampleTransformer<CSampleTag::Integer8> transformer;
    CSampleBuffer<CSampleTag::Integer8> source(Attribute(CSampleTag::Integer8, 1, 2),
                                               std::vector<std::uint8_t>{200, 201});
    CSampleBuffer<CSampleTag::Integer8> destination(Attribute(CSampleTag::Integer8, 1, 4),
                                                    std::vector<std::uint8_t>(4, 128));
    EXPECT_EQ(transformer.Transfer(source, destination, ISampleTransformer::FillDestination),
              ISampleTransformer::SourceEnded);
    EXPECT_EQ(destination.GetBytes(), (std::vector<std::uint8_t>{200, 201, 0, 0}));
}

TEST(SampleTransformerTest, BufferToBufferConvertsByteOrder) {
    SL::CSampleTransformer<CSampleTag::Integer24> transformer;
    CSampleBuffer<CSampleTag::Integer24> big(
        Attribute(CSampleTag::Integer24, 1, 2, 0),
        std::vector<std::uint8_t>{0x80, 0, 1, 0x12, 0x34, 0x56});
    CSampleBuffer<CSampleTag::Integer24> little(Attribute(CSampleTag::Integer24, 1, 2, 1));
    EXPECT_EQ(transformer.Transfer(big, little, ISampleTransformer::CopyOnly),
              ISampleTransformer::BothEnded);
    EXPECT_EQ(little.GetBytes(), (std::vector<std::uint8_t>{1, 0, 0x80, 0x56, 0x34, 0x12}));
}

TEST(SampleTransformerTest, BufferToOutputIterator) {
    SL::CSampleTransformer<CSampleTag::Float32> transformer;
    CSampleBuffer<CSampleTag::Float32> buffer(Attribute(CSampleTag::Float32, 1, 3));
    Fill<CSampleTag::Float32>(buffer, 0.25f);
    auto stream = std::make_shared<std::ostringstream>();
    SL::CFileOutputSampleIterator<CSampleTag::Float32> output(
        Attribute(CSampleTag::Float32, 1, 0, 0), stream, 0, 8);
    EXPECT_EQ(transformer.Transfer(buffer, output, ISampleTransformer::CopyOnly),
              ISampleTransformer::DestinationFull);
    EXPECT_TRUE(output.Finish());
    EXPECT_EQ(stream->str(), std::string("\x3E\x80\x00\x00\x3E\x80\x00\x00", 8));

    // Filling an output iterator stops when it has no more room.
    auto filled = std::make_shared<std::ostringstream>();
    SL::CFileOutputSampleIterator<CSampleTag::Float32> roomy(Attribute(CSampleTag::Float32, 1, 0),
                                                             filled, 0, 20);
    EXPECT_EQ(transformer.Transfer(buffer, roomy, ISampleTransformer::FillDestination),
              ISampleTransformer::SourceEnded);
    EXPECT_TRUE(roomy.Finish());
    EXPECT_EQ(filled->str().size(), 20u);
    EXPECT_EQ(filled->str().substr(12), std::string(8, '\0'));
}

TEST(SampleTransformerTest, MismatchedTypesCopyNothing) {
    SL::CSampleTransformer<CSampleTag::Integer16> transformer;
    CSampleBuffer<CSampleTag::Integer32> wrong(Attribute(CSampleTag::Integer32, 1, 4));
    CSampleBuffer<CSampleTag::Integer16> right(Attribute(CSampleTag::Integer16, 1, 4));
    auto source = Counting(4);
    EXPECT_EQ(transformer.Transfer(*source, wrong, ISampleTransformer::SkipSource),
              ISampleTransformer::TypeMismatch);
    EXPECT_EQ(source->GetValue(), 1);
    EXPECT_EQ(transformer.Transfer(wrong, right, ISampleTransformer::CopyOnly),
              ISampleTransformer::TypeMismatch);
}

TEST(SampleTransformerTest, FactoryByBitDepth) {
    EXPECT_NE(std::dynamic_pointer_cast<SL::CSampleTransformer<CSampleTag::Integer24>>(
                  SL::CreateSampleTransformer(CSampleTag::Integer24)),
              nullptr);
    EXPECT_NE(SL::CreateSampleTransformer(CSampleTag::Float64), nullptr);
    EXPECT_EQ(SL::CreateSampleTransformer(CSampleTag::Complex32), nullptr);
    EXPECT_EQ(SL::CreateSampleTransformer(16), nullptr);
}

} // namespace
