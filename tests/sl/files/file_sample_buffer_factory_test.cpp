#include "sl/files/file_sample_buffer_factory.h"
#include "tests/sl/files/chunk_bytes.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace SL {
namespace {

using namespace TestBytes;

// Opens the protected steps for inspection.
class CInspectedFactory : public CFileSampleBufferFactory {
public:
    using CFileSampleBufferFactory::CreateOutputSource;
};

template <int Tag>
std::vector<SampleValue<Tag>> ReadAll(const std::shared_ptr<IInputSampleIterator>& iterator) {
    auto typed = std::dynamic_pointer_cast<ITypedInputSampleIterator<Tag>>(iterator);
    std::vector<SampleValue<Tag>> values;
    for (; typed && typed->IsValid(); typed->Advance()) {
        values.push_back(typed->GetValue());
    }
    return values;
}

template <int Tag>
bool WriteAll(const std::shared_ptr<IOutputSampleIterator>& iterator,
              const std::vector<SampleValue<Tag>>& values) {
    auto typed = std::dynamic_pointer_cast<ITypedOutputSampleIterator<Tag>>(iterator);
    if (!typed) {
        return false;
    }
    for (SampleValue<Tag> value : values) {
        if (!typed->IsValid()) {
            return false;
        }
        typed->SetValue(value);
        typed->Advance();
    }
    return typed->Finish();
}

const std::string WaveFile = Riff(LeChunk("fmt ", FormatBody(1, 1, 44100, 16)) +
                                  LeChunk("data", Le16(1) + Le16(0xFFFF) + Le16(0x1234)));
const std::string AiffFile =
    Form(BeChunk("COMM", CommonBody(1, 3, 16, Rate44100)) +
         BeChunk("SSND", Be32(0) + Be32(0) + Be16(1) + Be16(0xFFFF) + Be16(0x1234)));

TEST(FileSampleBufferFactory, RecognisesByContentNotByName) {
    ZQ3::Fixture::TemporaryDirectory directory;
    ZQ3::Fixture::WriteFileBytes((directory / "wave.aif"), WaveFile);
    ZQ3::Fixture::WriteFileBytes((directory / "aiff.wav"), AiffFile);
    const CFileSampleBufferFactory factory;
    for (const std::string name : {"wave.aif", "aiff.wav"}) {
        const auto iterator = factory.CreateInputSampleIterator((directory / name));
        ASSERT_TRUE(iterator) << name;
        EXPECT_EQ(iterator->GetAttribute().GetLength(), 3);
        EXPECT_EQ(iterator->GetAttribute().GetEndianness(), 1);
        EXPECT_EQ(ReadAll<CSampleTag::Integer16>(iterator),
                  (std::vector<std::int16_t>{1, -1, 0x1234}))
            << name;
    }
}

TEST(FileSampleBufferFactory, UnreadableInputsGiveNothing) {
    ZQ3::Fixture::TemporaryDirectory directory;
    const CFileSampleBufferFactory factory;
    EXPECT_FALSE(factory.CreateInputSampleIterator((directory / "missing.wav")));
    EXPECT_FALSE(factory.CreateInputSampleIterator((directory / "")));
    ZQ3::Fixture::WriteFileBytes(
        (directory / "twelve.wav"),
        Riff(LeChunk("fmt ", FormatBody(1, 1, 44100, 12)) + LeChunk("data", "ab")));
    EXPECT_FALSE(factory.CreateInputSampleIterator((directory / "twelve.wav")));
    ZQ3::Fixture::WriteFileBytes((directory / "text.wav"), "just some text, not a sound file");
    EXPECT_FALSE(factory.CreateInputSampleIterator((directory / "text.wav")));
}

TEST(FileSampleBufferFactory, FilesOfTwoGibibytesOrMoreAreRefused) {
    ZQ3::Fixture::TemporaryDirectory directory;
    const std::string path = (directory / "huge.wav");
    // A valid small file made sparse-large: its chunk positions could no longer be held.
    ZQ3::Fixture::WriteFileBytes(path, WaveFile);
    std::filesystem::resize_file(path, std::uintmax_t{1} << 31);
    const CFileSampleBufferFactory factory;
    EXPECT_FALSE(factory.CreateInputSampleIterator(path));
    std::filesystem::resize_file(path, (std::uintmax_t{1} << 31) - 1);
    EXPECT_TRUE(factory.CreateInputSampleIterator(path));
}

TEST(FileSampleBufferFactory, FloatingPointWaveGivesTypedIterators) {
    const CFileSampleBufferFactory factory;
    auto single = std::make_shared<std::istringstream>(
        Riff(LeChunk("fmt ", FormatBody(3, 1, 48000, 32)) + LeChunk("data", Le32(0x3F800000))));
    const auto iterator = factory.CreateInputSampleIterator(single);
    ASSERT_TRUE(iterator);
    EXPECT_EQ(iterator->GetAttribute().GetBitDepth(), CBitDepth::FLOAT32);
    EXPECT_EQ(ReadAll<CSampleTag::Float32>(iterator), std::vector<float>{1.0f});

    auto doubles = std::make_shared<std::istringstream>(
        Riff(LeChunk("fmt ", FormatBody(3, 1, 48000, 64)) + LeChunk("data", std::string(16, 0))));
    const auto wide = factory.CreateInputSampleIterator(doubles);
    ASSERT_TRUE(wide);
    EXPECT_TRUE(std::dynamic_pointer_cast<ITypedInputSampleIterator<CSampleTag::Float64>>(wide));
}

TEST(FileSampleBufferFactory, OutputRangesFollowTheLength) {
    const CInspectedFactory factory;
    const CSampleAttribute unknownLength(CBitDepth::INTEGER16, 44100, 2, 0);
    const auto wave = factory.CreateOutputSource(unknownLength, CWaveFileFormat::WINWAVE);
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->dataBegin, 46);
    EXPECT_EQ(wave->dataEnd, 0x7FFFFFFF);
    EXPECT_EQ(wave->attribute.GetEndianness(), 1);

    const CSampleAttribute known(CBitDepth::INTEGER24, 44100, 2, 100);
    const auto aiff = factory.CreateOutputSource(known, CWaveFileFormat::AIFF);
    ASSERT_TRUE(aiff);
    EXPECT_EQ(aiff->dataBegin, 54);
    EXPECT_EQ(aiff->dataEnd, 54 + 600);
    EXPECT_EQ(aiff->attribute.GetEndianness(), 0);

    // More sample bytes than 32-bit positions can address.
    const CSampleAttribute huge(CBitDepth::FLOAT64, 44100, 8, 0x7FFFFFFF);
    EXPECT_FALSE(factory.CreateOutputSource(huge, CWaveFileFormat::WINWAVE));
    EXPECT_FALSE(factory.CreateOutputSource(known, CWaveFileFormat::INVALID));
    const CSampleAttribute floating(CBitDepth::FLOAT32, 44100, 1, 10);
    EXPECT_FALSE(factory.CreateOutputSource(floating, CWaveFileFormat::AIFF));
    const CSampleAttribute complex(CBitDepth::COMPLEX32, 44100, 1, 10);
    EXPECT_FALSE(factory.CreateOutputSource(complex, CWaveFileFormat::WINWAVE));
}

TEST(FileSampleBufferFactory, RefusedOutputLeavesAnExistingFileAlone) {
    ZQ3::Fixture::TemporaryDirectory directory;
    const std::string path = (directory / "keep.wav");
    ZQ3::Fixture::WriteFileBytes(path, "precious");
    const CFileSampleBufferFactory factory;
    const CSampleAttribute attribute(CBitDepth::INTEGER16, 44100, 2, 10);
    EXPECT_FALSE(factory.CreateOutputSampleIterator(attribute, path, CWaveFileFormat::INVALID));
    EXPECT_EQ(ZQ3::Fixture::ReadFileBytes(path), "precious");
    EXPECT_FALSE(factory.CreateOutputSampleIterator(attribute, (directory / "no/such/dir.wav"),
                                                    CWaveFileFormat::WINWAVE));
}

TEST(FileSampleBufferFactory, WrittenWaveHasTheFixedHeaderAndReadsBack) {
    ZQ3::Fixture::TemporaryDirectory directory;
    const std::string path = (directory / "out.wav");
    const CFileSampleBufferFactory factory;
    std::vector<std::int16_t> samples;
    for (int i = 0; i < 2000; ++i) {
        samples.push_back(static_cast<std::int16_t>(i * 37 - 30000));
    }
    const CSampleAttribute attribute(CBitDepth::INTEGER16, 44100, 2, 0);
    ASSERT_TRUE(WriteAll<CSampleTag::Integer16>(
        factory.CreateOutputSampleIterator(attribute, path, CWaveFileFormat::WINWAVE), samples));
    const std::string bytes = ZQ3::Fixture::ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 46u + 4000);
    EXPECT_EQ(bytes.substr(4, 4), Le32(4038));
    EXPECT_EQ(bytes.substr(36, 10), Le16(0) + "data" + Le32(4000));
    EXPECT_EQ(bytes.substr(46, 2), Le16(static_cast<std::uint16_t>(samples[0])));
    const auto input = factory.CreateInputSampleIterator(path);
    ASSERT_TRUE(input);
    EXPECT_EQ(input->GetAttribute().GetLength(), 1000);
    EXPECT_EQ(ReadAll<CSampleTag::Integer16>(input), samples);
}

TEST(FileSampleBufferFactory, EightBitAiffIsTwosComplementOnDisk) {
    ZQ3::Fixture::TemporaryDirectory directory;
    const std::string path = (directory / "bytes.aif");
    const CFileSampleBufferFactory factory;
    const std::vector<std::uint8_t> values = {128, 0, 255, 129, 7};
    const CSampleAttribute attribute(CBitDepth::INTEGER8, 22050, 1, 5);
    ASSERT_TRUE(WriteAll<CSampleTag::Integer8>(
        factory.CreateOutputSampleIterator(attribute, path, CWaveFileFormat::AIFF), values));
    const std::string bytes = ZQ3::Fixture::ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 54u + 5 + 1);
    EXPECT_EQ(bytes.substr(54, 5), std::string("\x00\x80\x7F\x01\x87", 5));
    EXPECT_EQ(bytes.substr(4, 4), Be32(46 + 5 + 1));
    EXPECT_EQ(bytes.substr(22, 4), Be32(5));
    const auto input = factory.CreateInputSampleIterator(path);
    ASSERT_TRUE(input);
    EXPECT_EQ(ReadAll<CSampleTag::Integer8>(input), values);
}

} // namespace
} // namespace SL
