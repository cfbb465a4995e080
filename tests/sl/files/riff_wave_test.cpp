#include "sl/files/riff_wave_format.h"
#include "tests/sl/files/chunk_bytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace SL {
namespace {

using namespace TestBytes;
using Chunks = CRiffWaveFileChunks;

std::optional<CSampleDataLayout> Layout(const std::string& file) {
    std::istringstream input(file);
    return ReadSampleDataLayout(RiffWaveFormat(), input);
}

std::string ExtensibleFormatBody(int bits, int subFormatTag) {
    std::string body = FormatBody(0xFFFE, 2, 48000, bits) + Le16(22) +
                       Le16(static_cast<std::uint32_t>(bits)) + Le32(3);
    const auto guid = Chunks::CFormatChunk::SubFormatOf(static_cast<std::uint16_t>(subFormatTag));
    body.append(reinterpret_cast<const char*>(guid.data()), guid.size());
    return body;
}

TEST(RiffWaveRead, PcmWithListChunkBetweenFormatAndData) {
    const std::string data(4000, '\x11');
    const std::string file =
        Riff(LeChunk("fmt ", FormatBody(1, 2, 44100, 16)) +
             LeChunk("LIST", "INFOISFT" + Le32(3) + "abc") + LeChunk("data", data));
    const auto layout = Layout(file);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->bitDepth, CBitDepth::INTEGER16);
    EXPECT_EQ(layout->sampleRate, 44100.0);
    EXPECT_EQ(layout->channelCount, 2);
    EXPECT_EQ(layout->frameCount, 1000);
    EXPECT_EQ(layout->fileFormat, CWaveFileFormat::WINWAVE);
    EXPECT_EQ(layout->endianness, 1);
    EXPECT_EQ(layout->dataEnd - layout->dataBegin, 4000);
    EXPECT_EQ(file.substr(static_cast<std::size_t>(layout->dataBegin), 4000), data);
}

TEST(RiffWaveRead, DataBeforeFormatReadsTheSame) {
    const auto usual =
        Layout(Riff(LeChunk("fmt ", FormatBody(1, 1, 8000, 8)) + LeChunk("data", "abcde")));
    const auto reversed =
        Layout(Riff(LeChunk("data", "abcde") + LeChunk("fmt ", FormatBody(1, 1, 8000, 8))));
    ASSERT_TRUE(usual && reversed);
    EXPECT_EQ(usual->frameCount, 5);
    EXPECT_EQ(reversed->frameCount, 5);
    EXPECT_EQ(reversed->bitDepth, CBitDepth::INTEGER8);
    EXPECT_EQ(reversed->dataBegin, 20);
}

TEST(RiffWaveRead, AcceptedAndRefusedRepresentations) {
    struct Case {
        int tag, bits;
        int expected; // bit depth value, or -1 for no input source
    } cases[] = {{1, 8, 0x10008},  {1, 16, 0x10010}, {1, 24, 0x10018}, {1, 32, 0x10020},
                 {3, 32, 0x20020}, {3, 64, 0x20040}, {1, 12, -1},      {3, 16, -1},
                 {3, 8, -1},       {2, 16, -1},      {1, 0, -1},       {0x55, 16, -1}};
    for (const Case& c : cases) {
        const auto layout = Layout(Riff(LeChunk("fmt ", FormatBody(c.tag, 1, 44100, c.bits)) +
                                        LeChunk("data", std::string(64, '\0'))));
        if (c.expected < 0) {
            EXPECT_FALSE(layout) << c.tag << "/" << c.bits;
        } else {
            ASSERT_TRUE(layout) << c.tag << "/" << c.bits;
            EXPECT_EQ(layout->bitDepth.GetValue(), c.expected);
        }
    }
}

TEST(RiffWaveRead, ExtensibleFormatTakesItsSubFormat) {
    const auto pcm = Layout(Riff(LeChunk("fmt ", ExtensibleFormatBody(24, 1)) +
                                 LeChunk("data", std::string(60, '\0'))));
    ASSERT_TRUE(pcm);
    EXPECT_EQ(pcm->bitDepth, CBitDepth::INTEGER24);
    EXPECT_EQ(pcm->frameCount, 10);
    const auto floating = Layout(Riff(LeChunk("fmt ", ExtensibleFormatBody(32, 3)) +
                                      LeChunk("data", std::string(64, '\0'))));
    ASSERT_TRUE(floating);
    EXPECT_EQ(floating->bitDepth, CBitDepth::FLOAT32);
    // A-law in an extensible wrapper, and an extensible chunk cut before its identifier.
    EXPECT_FALSE(Layout(Riff(LeChunk("fmt ", ExtensibleFormatBody(16, 6)) +
                             LeChunk("data", std::string(64, '\0')))));
    EXPECT_FALSE(Layout(Riff(LeChunk("fmt ", FormatBody(0xFFFE, 2, 48000, 16) + Le16(22)) +
                             LeChunk("data", std::string(64, '\0')))));
}

TEST(RiffWaveRead, MalformedFilesGiveNoInputSource) {
    const std::string data = LeChunk("data", std::string(16, '\0'));
    // "fmt " of 14 bytes: the bits-per-sample field lies beyond the chunk.
    EXPECT_FALSE(Layout(Riff(LeChunk("fmt ", FormatBody(1, 1, 44100, 16).substr(0, 14)) + data)));
    EXPECT_FALSE(Layout(Riff(LeChunk("fmt ", FormatBody(1, 0, 44100, 16)) + data)));
    EXPECT_FALSE(Layout(Riff(LeChunk("fmt ", FormatBody(1, 1, 0, 16)) + data)));
    EXPECT_FALSE(Layout(Riff(LeChunk("fmt ", FormatBody(1, 1, 44100, 16)))));
    EXPECT_FALSE(Layout(Riff(data)));
    // A data chunk that promises more than the file holds.
    EXPECT_FALSE(Layout(Riff(LeChunk("fmt ", FormatBody(1, 1, 44100, 16)) + "data" + Le32(1000) +
                             std::string(10, '\0'))));
    EXPECT_FALSE(Layout(Riff(LeChunk("fmt ", FormatBody(1, 1, 44100, 16)) + "data" +
                             Le32(0xFFFFFFFF) + std::string(10, '\0'))));
    EXPECT_FALSE(Layout(""));
    EXPECT_FALSE(Layout("RIFF"));
}

TEST(RiffWaveRead, PartialLastFrameIsLeftOutOfTheRange) {
    const auto layout = Layout(
        Riff(LeChunk("fmt ", FormatBody(1, 2, 44100, 16)) + LeChunk("data", std::string(7, '\0'))));
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->frameCount, 1);
    EXPECT_EQ(layout->dataEnd - layout->dataBegin, 4);
}

TEST(RiffWaveDto, RecognisesOnlyRiffWaveAndRestoresTheStream) {
    CRiffWaveDto dto(std::make_shared<Chunks::CRiffWaveChunk::CDefaultChunkFactory>(false));
    std::istringstream wave("xx" + Riff(LeChunk("data", "ab")));
    wave.seekg(2);
    EXPECT_TRUE(dto.IsReadable(wave));
    EXPECT_EQ(wave.tellg(), 2);
    EXPECT_TRUE(wave.good());

    std::istringstream bigEndianVariant("RIFX" + Le32(4) + "WAVE");
    EXPECT_FALSE(dto.IsReadable(bigEndianVariant));
    std::istringstream otherForm("RIFF" + Le32(4) + "AVI ");
    EXPECT_FALSE(dto.IsReadable(otherForm));
    std::istringstream shortFile("RIF");
    EXPECT_FALSE(dto.IsReadable(shortFile));
    EXPECT_EQ(shortFile.tellg(), 0);
    EXPECT_FALSE(dto.IsValid());
}

TEST(RiffWaveDto, DefaultFactoryReadsSamplerChunkAndLoadsData) {
    Chunks::CSamplerChunk written;
    written.midiUnityNote = 60;
    written.loops.push_back({7, 1, 100, 200, 0, 3});
    written.samplerData = {1, 2, 3};
    std::stringstream smpl;
    ASSERT_TRUE(written.Write(smpl));
    EXPECT_EQ(smpl.str().size(), 8u + 36 + 24 + 3 + 1);

    const std::string file =
        Riff(LeChunk("fmt ", FormatBody(1, 1, 44100, 16)) + smpl.str() + LeChunk("data", "abcd"));
    CRiffWaveDto dto(std::make_shared<Chunks::CRiffWaveChunk::CDefaultChunkFactory>(true));
    std::istringstream input(file);
    ASSERT_TRUE(dto.Read(input));
    EXPECT_TRUE(dto.IsValid());
    const auto sampler =
        dto.FindChunkAs<Chunks::CSamplerChunk>(CIffChunk::CFourCharacterCode::Smpl);
    ASSERT_TRUE(sampler);
    EXPECT_EQ(sampler->midiUnityNote, 60u);
    EXPECT_EQ(sampler->loopCount, 1u);
    ASSERT_EQ(sampler->loops.size(), 1u);
    EXPECT_EQ(sampler->loops[0], written.loops[0]);
    EXPECT_EQ(sampler->samplerData, written.samplerData);
    const auto data = dto.FindChunkAs<Chunks::CDataChunk>(CIffChunk::CFourCharacterCode::Data);
    ASSERT_TRUE(data);
    EXPECT_EQ(std::string(data->GetData()->begin(), data->GetData()->end()), "abcd");
}

TEST(RiffWaveDto, ForgedSamplerLoopCountFailsWithoutAllocating) {
    std::string body(36, '\0');
    body.replace(28, 4, Le32(0x0FFFFFFF)); // loop count
    const std::string file = Riff(LeChunk("smpl", body));
    CRiffWaveDto dto(std::make_shared<Chunks::CRiffWaveChunk::CDefaultChunkFactory>(false));
    std::istringstream input(file);
    EXPECT_FALSE(dto.Read(input));
}

TEST(RiffWaveHeader, ExportLayoutOfThousandStereoFrames) {
    std::stringstream stream(std::string(46 + 4000, '\x5A'));
    ASSERT_TRUE(Chunks::WriteHeader(stream, CBitDepth::INTEGER16, 44100.0, 2, 46, 46 + 4000));
    const std::string bytes = stream.str();
    ASSERT_EQ(bytes.size(), 4046u);
    EXPECT_EQ(bytes.substr(0, 46), "RIFF" + Le32(4038) + "WAVE" + "fmt " + Le32(18) + Le16(1) +
                                       Le16(2) + Le32(44100) + Le32(176400) + Le16(4) + Le16(16) +
                                       Le16(0) + "data" + Le32(4000));
    EXPECT_EQ(bytes.substr(46), std::string(4000, '\x5A')); // the samples are left alone
}

TEST(RiffWaveHeader, RoundsTheRateAndPadsOddData) {
    std::stringstream stream(std::string(46 + 3, '\0'));
    ASSERT_TRUE(Chunks::WriteHeader(stream, CBitDepth::INTEGER8, 22050.5, 1, 46, 49));
    const std::string bytes = stream.str();
    ASSERT_EQ(bytes.size(), 50u);
    EXPECT_EQ(bytes.substr(4, 4), Le32(38 + 3 + 1));
    EXPECT_EQ(bytes.substr(24, 4), Le32(22051));
    EXPECT_EQ(bytes.substr(42, 4), Le32(3));
    EXPECT_EQ(bytes[49], '\xFF');

    std::stringstream floating(std::string(46, '\0'));
    ASSERT_TRUE(Chunks::WriteHeader(floating, CBitDepth::FLOAT64, 48000, 1, 46, 46));
    EXPECT_EQ(floating.str().substr(20, 2), Le16(3));
    EXPECT_EQ(floating.str().substr(34, 2), Le16(64));
}

TEST(RiffWaveHeader, RefusesValuesTheHeaderCannotHold) {
    std::stringstream stream;
    EXPECT_FALSE(Chunks::WriteHeader(stream, CBitDepth::INTEGER16, std::nan(""), 2, 46, 46));
    EXPECT_FALSE(Chunks::WriteHeader(stream, CBitDepth::INTEGER16, 1e12, 2, 46, 46));
    EXPECT_FALSE(Chunks::WriteHeader(stream, CBitDepth::INTEGER16, 44100, 0, 46, 46));
    EXPECT_FALSE(Chunks::WriteHeader(stream, CBitDepth::FLOAT64, 44100, 65535, 46, 46));
    EXPECT_FALSE(Chunks::WriteHeader(stream, CBitDepth::INTEGER16, 44100, 2, 46, 40));
}

} // namespace
} // namespace SL
