#include "sample_values.h"

#include "sl/samples/file_input_sample_iterator.h"
#include "sl/samples/file_output_sample_iterator.h"
#include "sl/samples/file_sample_iterator_factory.h"

#include "gt/endianed.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using SL::CSampleAttribute;
using SL::CSampleTag;

CSampleAttribute Attribute(int tag, int channels, int endianness, int length = 0) {
    return CSampleAttribute(SL::CBitDepth(tag), 44100.0, channels, length, endianness);
}

std::string Bytes(std::initializer_list<int> bytes) {
    std::string text;
    for (const int byte : bytes) {
        text.push_back(static_cast<char>(byte));
    }
    return text;
}

std::shared_ptr<std::istringstream> InputOf(const std::string& bytes) {
    return std::make_shared<std::istringstream>(bytes, std::ios::in | std::ios::binary);
}

template <int Tag>
std::vector<SL::SampleValue<Tag>> ReadAll(SL::ITypedInputSampleIterator<Tag>& iterator) {
    std::vector<SL::SampleValue<Tag>> values;
    for (; iterator.IsValid(); iterator.Advance()) {
        values.push_back(iterator.GetValue());
    }
    return values;
}

template <int Tag>
struct CTagConstant {
    static constexpr int Value = Tag;
};

template <class TagConstant>
class FileSampleIteratorTest : public testing::Test {};

using StreamableTags =
    testing::Types<CTagConstant<CSampleTag::Integer8>, CTagConstant<CSampleTag::Integer16>,
                   CTagConstant<CSampleTag::Integer24>, CTagConstant<CSampleTag::Integer32>,
                   CTagConstant<CSampleTag::Float32>, CTagConstant<CSampleTag::Float64>>;
TYPED_TEST_SUITE(FileSampleIteratorTest, StreamableTags);

// Writes values into the middle of a file and reads them back, in both byte orders, across
// several read and write blocks.
TYPED_TEST(FileSampleIteratorTest, RoundTripThroughAFileInBothByteOrders) {
    constexpr int Tag = TypeParam::Value;
    constexpr int Width = SL::SampleWidth<Tag>;
    const auto values = SL::Testing::MakeSampleValues<Tag>(40001);
    const std::int64_t begin = 46;
    const std::int64_t end = begin + std::int64_t(values.size()) * Width;
    ZQ3::Fixture::TemporaryDirectory directory;
    for (const int endianness : {1, 0}) {
        const std::string path = directory / ("samples" + std::to_string(endianness));
        {
            auto stream = std::make_shared<std::ofstream>(path, std::ios::binary | std::ios::trunc);
            SL::CFileOutputSampleIterator<Tag> output(Attribute(Tag, 1, endianness), stream, begin,
                                                      end);
            EXPECT_EQ(output.GetAttribute().GetEndianness(), 1);
            for (const auto value : values) {
                ASSERT_TRUE(output.IsValid());
                output.SetValue(value);
                output.Advance();
            }
            EXPECT_FALSE(output.IsValid()) << "the range is full";
            EXPECT_TRUE(output.Finish());
            EXPECT_EQ(output.GetWritePosition(), end);
        }
        EXPECT_EQ(std::filesystem::file_size(path), std::uintmax_t(end));

        // The bytes on disk are each value's encoding in the file's order.
        std::ifstream raw(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(raw)), std::istreambuf_iterator<char>());
        for (std::size_t i = 0; i < values.size(); i += 997) {
            const auto* sample =
                reinterpret_cast<const std::uint8_t*>(bytes.data()) + begin + i * Width;
            EXPECT_EQ(SL::CSampleBytes<Tag>::Load(sample, endianness != 1), values[i]) << i;
        }

        auto stream = std::make_shared<std::ifstream>(path, std::ios::binary);
        SL::CFileInputSampleIterator<Tag> input(Attribute(Tag, 1, endianness), stream, begin, end);
        EXPECT_EQ(input.GetAttribute().GetEndianness(), 1);
        EXPECT_EQ(ReadAll(input), values);
        EXPECT_TRUE(input.IsGood()) << "running off the range is a normal end";
    }
}

TYPED_TEST(FileSampleIteratorTest, FactoryPicksTheTypedIterator) {
    constexpr int Tag = TypeParam::Value;
    auto input = SL::CreateFileInputSampleIterator(Attribute(Tag, 2, 1), InputOf(""), 0, 0);
    ASSERT_NE(std::dynamic_pointer_cast<SL::CFileInputSampleIterator<Tag>>(input), nullptr);
    EXPECT_FALSE(input->IsValid());
    EXPECT_TRUE(input->IsGood());
    auto output = SL::CreateFileOutputSampleIterator(Attribute(Tag, 2, 0),
                                                     std::make_shared<std::ostringstream>(), 0, 64);
    ASSERT_NE(std::dynamic_pointer_cast<SL::CFileOutputSampleIterator<Tag>>(output), nullptr);
    EXPECT_TRUE(output->IsValid());
}

TEST(FileSampleIteratorFactoryTest, NoIteratorForOtherTypesOrWithoutAStream) {
    for (const int tag : {0, CSampleTag::Complex32, CSampleTag::Complex64, CSampleTag::Point64}) {
        EXPECT_EQ(SL::CreateFileInputSampleIterator(Attribute(tag, 1, 1), InputOf("abcd"), 0, 4),
                  nullptr);
        EXPECT_EQ(SL::CreateFileOutputSampleIterator(Attribute(tag, 1, 1),
                                                     std::make_shared<std::ostringstream>(), 0, 4),
                  nullptr);
    }
    EXPECT_EQ(
        SL::CreateFileInputSampleIterator(Attribute(CSampleTag::Integer16, 1, 1), nullptr, 0, 4),
        nullptr);
    EXPECT_EQ(
        SL::CreateFileOutputSampleIterator(Attribute(CSampleTag::Integer16, 1, 1), nullptr, 0, 4),
        nullptr);
}

TEST(FileInputSampleIteratorTest, SixteenBitByteOrders) {
    SL::CFileInputSampleIterator<CSampleTag::Integer16> big(Attribute(CSampleTag::Integer16, 1, 0),
                                                            InputOf(Bytes({0x12, 0x34})), 0, 2);
    SL::CFileInputSampleIterator<CSampleTag::Integer16> little(
        Attribute(CSampleTag::Integer16, 1, 1), InputOf(Bytes({0x12, 0x34})), 0, 2);
    ASSERT_TRUE(big.IsValid());
    EXPECT_EQ(big.GetValue(), 0x1234);
    ASSERT_TRUE(little.IsValid());
    EXPECT_EQ(little.GetValue(), 0x3412);
    big.Advance();
    EXPECT_FALSE(big.IsValid());
    EXPECT_TRUE(big.IsGood());
}

TEST(FileInputSampleIteratorTest, TwentyFourBitExtremes) {
    const std::string bytes = Bytes({0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80, 0xFF, 0xFF, 0xFF});
    SL::CFileInputSampleIterator<CSampleTag::Integer24> little(
        Attribute(CSampleTag::Integer24, 1, 1), InputOf(bytes), 0, 9);
    EXPECT_EQ(ReadAll(little), (std::vector<std::int32_t>{8388607, -8388608, -1}));
    SL::CFileInputSampleIterator<CSampleTag::Integer24> big(Attribute(CSampleTag::Integer24, 1, 0),
                                                            InputOf(bytes), 0, 9);
    EXPECT_EQ(ReadAll(big), (std::vector<std::int32_t>{-129, 0x80, -1}));
}

TEST(FileInputSampleIteratorTest, OnlyTheRangeIsRead) {
    // A header before the data and another chunk after it.
    const std::string bytes = Bytes({9, 9, 9, 1, 0, 2, 0, 3, 0, 7, 7, 7, 7});
    SL::CFileInputSampleIterator<CSampleTag::Integer16> input(
        Attribute(CSampleTag::Integer16, 1, 1), InputOf(bytes), 3, 9);
    EXPECT_EQ(ReadAll(input), (std::vector<std::int16_t>{1, 2, 3}));
    EXPECT_TRUE(input.IsGood());
}

TEST(FileInputSampleIteratorTest, PartialSampleAtTheEndOfTheRangeIsNotDelivered) {
    SL::CFileInputSampleIterator<CSampleTag::Integer32> input(
        Attribute(CSampleTag::Integer32, 1, 1), InputOf(Bytes({1, 0, 0, 0, 2, 0, 0, 0, 3, 0})), 0,
        10);
    EXPECT_EQ(ReadAll(input), (std::vector<std::int32_t>{1, 2}));
    EXPECT_TRUE(input.IsGood());
}

TEST(FileInputSampleIteratorTest, RangeBeyondTheFileEndsWithAnErrorAndNoPartialSample) {
    // The header claims 8 bytes of 16-bit data, but the file stops after 5.
    SL::CFileInputSampleIterator<CSampleTag::Integer16> input(
        Attribute(CSampleTag::Integer16, 1, 1), InputOf(Bytes({1, 0, 2, 0, 3})), 0, 8);
    EXPECT_EQ(ReadAll(input), (std::vector<std::int16_t>{1, 2}));
    EXPECT_FALSE(input.IsGood());
    EXPECT_FALSE(input.IsValid());

    // A range that starts past the end of the file has no samples at all.
    SL::CFileInputSampleIterator<CSampleTag::Integer16> beyond(
        Attribute(CSampleTag::Integer16, 1, 1), InputOf(Bytes({1, 0})), 100, 0x7FFFFFFF);
    EXPECT_FALSE(beyond.IsValid());
    EXPECT_FALSE(beyond.IsGood());
}

TEST(FileInputSampleIteratorTest, InvertedOrNegativeRangesAreEmpty) {
    SL::CFileInputSampleIterator<CSampleTag::Integer8> inverted(
        Attribute(CSampleTag::Integer8, 1, 1), InputOf("abcdef"), 4, 2);
    EXPECT_FALSE(inverted.IsValid());
    SL::CFileInputSampleIterator<CSampleTag::Integer8> negative(
        Attribute(CSampleTag::Integer8, 1, 1), InputOf("abcdef"), -5, 2);
    EXPECT_EQ(ReadAll(negative), (std::vector<std::uint8_t>{'a', 'b'}));
}

TEST(FileInputSampleIteratorTest, MissingStreamIsNotGood) {
    SL::CFileInputSampleIterator<CSampleTag::Integer16> input(
        Attribute(CSampleTag::Integer16, 1, 1), nullptr, 0, 100);
    EXPECT_FALSE(input.IsValid());
    EXPECT_FALSE(input.IsGood());
    input.Advance();
    input.Seek(2);
    EXPECT_EQ(input.GetValue(), 0);
}

TEST(FileInputSampleIteratorTest, SeekAndPositionCountFrames) {
    // Stereo 16-bit, frames (0, 100), (1, 101), ... (9, 109), little-endian.
    std::string bytes;
    for (int frame = 0; frame < 10; ++frame) {
        for (const int value : {frame, 100 + frame}) {
            bytes += Bytes({value, 0});
        }
    }
    SL::CFileInputSampleIterator<CSampleTag::Integer16> input(
        Attribute(CSampleTag::Integer16, 2, 1), InputOf("HEAD" + bytes), 4, 4 + 40);
    EXPECT_EQ(input.GetPosition(), 0);
    input.Advance();
    input.Advance();
    input.Advance();
    EXPECT_EQ(input.GetValue(), 101);
    EXPECT_EQ(input.GetPosition(), 1);
    EXPECT_EQ(input.GetOffset(5), 6);
    EXPECT_EQ(input.MapPosition(77), 77);

    input.Seek(7);
    EXPECT_EQ(input.GetValue(), 7);
    EXPECT_EQ(input.GetPosition(), 7);
    input.Advance();
    EXPECT_EQ(input.GetValue(), 107);

    // Back to the start after running off the end.
    while (input.IsValid()) {
        input.Advance();
    }
    input.Seek(0);
    EXPECT_TRUE(input.IsValid());
    EXPECT_EQ(input.GetValue(), 0);
    input.Seek(-4);
    EXPECT_EQ(input.GetValue(), 0);
    input.Seek(10);
    EXPECT_FALSE(input.IsValid());
    EXPECT_TRUE(input.IsGood());
    input.Seek(INT64_MAX);
    EXPECT_FALSE(input.IsValid());
    input.Seek(9);
    EXPECT_EQ(input.GetValue(), 9);
}

TEST(FileInputSampleIteratorTest, PositionWithoutChannelsIsZero) {
    SL::CFileInputSampleIterator<CSampleTag::Integer8> input(Attribute(CSampleTag::Integer8, 0, 1),
                                                             InputOf("abc"), 0, 3);
    input.Advance();
    EXPECT_EQ(input.GetPosition(), 0);
}

TEST(FileInputSampleIteratorTest, StreamMovedByAnotherReaderBetweenBlocks) {
    // Two iterators share one stream; each reads its own range in blocks.
    std::string bytes(2 * 40000, '\0');
    for (std::size_t i = 0; i < 40000; ++i) {
        bytes[i] = 1;
        bytes[40000 + i] = 2;
    }
    auto stream = InputOf(bytes);
    SL::CFileInputSampleIterator<CSampleTag::Integer8> first(Attribute(CSampleTag::Integer8, 1, 1),
                                                             stream, 0, 40000);
    SL::CFileInputSampleIterator<CSampleTag::Integer8> second(Attribute(CSampleTag::Integer8, 1, 1),
                                                              stream, 40000, 80000);
    std::size_t count = 0;
    for (; first.IsValid() && second.IsValid(); first.Advance(), second.Advance(), ++count) {
        ASSERT_EQ(first.GetValue(), 1) << count;
        ASSERT_EQ(second.GetValue(), 2) << count;
    }
    EXPECT_EQ(count, 40000u);
}

TEST(FileOutputSampleIteratorTest, ValueReachesTheStreamOnlyWhenAdvanced) {
    auto stream = std::make_shared<std::ostringstream>(std::ios::out | std::ios::binary);
    SL::CFileOutputSampleIterator<CSampleTag::Integer24> output(
        Attribute(CSampleTag::Integer24, 1, 0), stream, 0, 100);
    output.SetValue(0x123456);
    output.Advance();
    output.SetValue(-2);
    output.SetValue(0x010203); // replaces the stored value
    output.Advance();
    output.SetValue(0x7FFFFF); // never advanced past: not written
    EXPECT_TRUE(output.Finish());
    EXPECT_EQ(stream->str(), Bytes({0x12, 0x34, 0x56, 0x01, 0x02, 0x03}));
}

TEST(FileOutputSampleIteratorTest, NothingIsWrittenOutsideTheRange) {
    auto stream = std::make_shared<std::stringstream>(
        std::string(12, '\xAA'), std::ios::in | std::ios::out | std::ios::binary);
    // Room for two 16-bit samples and half of a third.
    SL::CFileOutputSampleIterator<CSampleTag::Integer16> output(
        Attribute(CSampleTag::Integer16, 1, 1), stream, 3, 8);
    int stored = 0;
    for (std::int16_t value = 1; output.IsValid(); ++value, ++stored) {
        output.SetValue(value);
        output.Advance();
    }
    EXPECT_EQ(stored, 2);
    output.SetValue(99);
    output.Advance(); // no room: dropped
    EXPECT_TRUE(output.Finish());
    EXPECT_EQ(stream->str(), Bytes({0xAA, 0xAA, 0xAA, 1, 0, 2, 0, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}));
}

// Runs must write the bytes that single steps write, in both byte orders, across block
// boundaries, and stop where the range is full.
TEST(FileOutputSampleIteratorTest, RunsWriteWhatStepsWrite) {
    std::vector<std::int16_t> values(40000);
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = static_cast<std::int16_t>(i * 7919 - 20000);
    }
    for (int endianness : {GT::CEndianness::LittleEndian, GT::CEndianness::BigEndian}) {
        SCOPED_TRACE(endianness);
        // Room for 30001 samples and one odd byte, so that the range ends inside a run.
        const std::int64_t end = 5 + 2 * 30001 + 1;
        auto stepped = std::make_shared<std::stringstream>(
            std::string(end, '\xAA'), std::ios::in | std::ios::out | std::ios::binary);
        SL::CFileOutputSampleIterator<CSampleTag::Integer16> steps(
            Attribute(CSampleTag::Integer16, 2, endianness), stepped, 5, end);
        for (std::size_t i = 0; i < values.size() && steps.IsValid(); ++i) {
            steps.SetValue(values[i]);
            steps.Advance();
        }
        EXPECT_TRUE(steps.Finish());

        auto run = std::make_shared<std::stringstream>(
            std::string(end, '\xAA'), std::ios::in | std::ios::out | std::ios::binary);
        SL::CFileOutputSampleIterator<CSampleTag::Integer16> runs(
            Attribute(CSampleTag::Integer16, 2, endianness), run, 5, end);
        EXPECT_EQ(runs.Room(), 30001);
        std::size_t taken = runs.Write(values.data(), 3);
        runs.SetValue(values[taken]);
        runs.Advance();
        ++taken;
        taken += runs.Write(values.data() + taken, 20000);
        EXPECT_EQ(taken, 20004u);
        taken += runs.Write(values.data() + taken, values.size() - taken);
        EXPECT_EQ(taken, 30001u);
        EXPECT_EQ(runs.Room(), 0);
        EXPECT_FALSE(runs.IsValid());
        EXPECT_EQ(runs.Write(values.data(), 10), 0u);
        EXPECT_TRUE(runs.Finish());
        EXPECT_EQ(runs.Write(values.data(), 10), 0u);
        EXPECT_EQ(run->str(), stepped->str());
    }
}

TEST(FileOutputSampleIteratorTest, FinishRunsTheHeaderWriterOnceWithTheWrittenRange) {
    // A string stream cannot seek past its end, so the header's room is there already.
    auto stream = std::make_shared<std::stringstream>("????", std::ios::in | std::ios::out |
                                                                  std::ios::binary);
    int calls = 0;
    std::int64_t writtenBegin = -1;
    std::int64_t writtenEnd = -1;
    CSampleAttribute seen;
    SL::CHeaderWriter writer = [&](const CSampleAttribute& attribute, std::ostream& out,
                                   std::int64_t begin, std::int64_t end) {
        ++calls;
        seen = attribute;
        writtenBegin = begin;
        writtenEnd = end;
        out.clear();
        out.seekp(0);
        out.write("HEAD", 4);
        return bool(out);
    };
    auto output = SL::CreateFileOutputSampleIterator(Attribute(CSampleTag::Integer16, 2, 0, 0),
                                                     stream, 4, 0x7FFFFFFF, writer);
    auto typed =
        std::dynamic_pointer_cast<SL::ITypedOutputSampleIterator<CSampleTag::Integer16>>(output);
    ASSERT_NE(typed, nullptr);
    for (const std::int16_t value : {std::int16_t{1}, std::int16_t{2}, std::int16_t{3}}) {
        typed->SetValue(value);
        typed->Advance();
    }
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(output->Finish());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(writtenBegin, 4);
    EXPECT_EQ(writtenEnd, 10);
    EXPECT_EQ(seen.GetChannelCount(), 2);
    EXPECT_EQ(seen.GetBitDepth().GetValue(), CSampleTag::Integer16);
    EXPECT_EQ(stream->str(), "HEAD" + Bytes({0, 1, 0, 2, 0, 3}));
    EXPECT_TRUE(output->Finish());
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(output->IsValid()) << "a finished stream takes no more samples";
}

TEST(FileOutputSampleIteratorTest, FailingHeaderWriterFailsTheFinish) {
    auto stream = std::make_shared<std::ostringstream>();
    SL::CFileOutputSampleIterator<CSampleTag::Integer8> output(
        Attribute(CSampleTag::Integer8, 1, 1), stream, 0, 10,
        [](const CSampleAttribute&, std::ostream&, std::int64_t, std::int64_t) { return false; });
    output.SetValue(5);
    output.Advance();
    EXPECT_FALSE(output.Finish());
    EXPECT_FALSE(output.Finish());
    EXPECT_EQ(stream->str(), Bytes({5}));
}

// A stream buffer that accepts a fixed number of bytes and then fails, like a full disk.
class CLimitedBuffer : public std::streambuf {
public:
    explicit CLimitedBuffer(std::size_t capacity) : capacity_(capacity) {}
    std::size_t written = 0;

protected:
    int_type overflow(int_type c) override {
        if (written >= capacity_ || traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::eof();
        }
        ++written;
        return c;
    }
    pos_type seekoff(off_type, std::ios::seekdir, std::ios::openmode) override {
        return pos_type(off_type(written));
    }
    pos_type seekpos(pos_type position, std::ios::openmode) override { return position; }

private:
    std::size_t capacity_;
};

TEST(FileOutputSampleIteratorTest, WriteErrorClearsTheGoodFlag) {
    CLimitedBuffer full(1000);
    auto stream = std::make_shared<std::ostream>(&full);
    SL::CFileOutputSampleIterator<CSampleTag::Integer16> output(
        Attribute(CSampleTag::Integer16, 1, 1), stream, 0, 0x7FFFFFFF);
    std::int64_t stored = 0;
    while (output.IsValid() && stored < 1000000) {
        output.SetValue(7);
        output.Advance();
        ++stored;
    }
    EXPECT_FALSE(output.IsGood());
    EXPECT_FALSE(output.IsValid());
    EXPECT_LT(stored, 1000000) << "the copy loop must end";
    EXPECT_FALSE(output.Finish());
}

TEST(FileOutputSampleIteratorTest, SeekAndPositionDoNothing) {
    SL::CFileOutputSampleIterator<CSampleTag::Float32> output(
        Attribute(CSampleTag::Float32, 1, 1), std::make_shared<std::ostringstream>(), 0, 40);
    output.SetValue(1.0f);
    output.Advance();
    output.Seek(5);
    EXPECT_EQ(output.GetPosition(), 0);
    EXPECT_EQ(output.GetOffset(3), 0);
    EXPECT_EQ(output.GetWritePosition(), 4);
}

TEST(FileOutputSampleIteratorTest, DroppedIteratorStillWritesItsSamples) {
    auto stream = std::make_shared<std::ostringstream>();
    {
        SL::CFileOutputSampleIterator<CSampleTag::Integer8> output(
            Attribute(CSampleTag::Integer8, 1, 1), stream, 0, 10);
        output.SetValue(42);
        output.Advance();
    }
    EXPECT_EQ(stream->str(), Bytes({42}));
}

} // namespace
