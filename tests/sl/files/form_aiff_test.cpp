#include "sl/files/form_aiff_format.h"
#include "tests/sl/files/chunk_bytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace SL {
namespace {

using namespace TestBytes;
using Chunks = CFormAiffFileChunks;
using Code = CIffChunk::CFourCharacterCode;

std::optional<CSampleDataLayout> Layout(const std::string& file) {
    std::istringstream input(file);
    return ReadSampleDataLayout(FormAiffFormat(), input);
}

std::string Sound(const std::string& samples, std::uint32_t offset = 0) {
    return BeChunk("SSND", Be32(offset) + Be32(0) + samples);
}

TEST(FormAiffRead, CommonAndSoundInEitherOrder) {
    const std::string samples(4000, '\x22');
    const std::string comm = BeChunk("COMM", CommonBody(2, 999, 16, Rate44100));
    for (const std::string& file :
         {Form(comm + Sound(samples)), Form(Sound(samples) + BeChunk("ANNO", "hello") + comm)}) {
        const auto layout = Layout(file);
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->bitDepth, CBitDepth::INTEGER16);
        EXPECT_EQ(layout->sampleRate, 44100.0);
        EXPECT_EQ(layout->channelCount, 2);
        EXPECT_EQ(layout->frameCount, 1000); // from the sound data, not from "COMM"
        EXPECT_EQ(layout->endianness, 0);
        EXPECT_EQ(layout->fileFormat, CWaveFileFormat::AIFF);
        EXPECT_EQ(file.substr(static_cast<std::size_t>(layout->dataBegin),
                              static_cast<std::size_t>(layout->dataEnd - layout->dataBegin)),
                  samples);
    }
}

TEST(FormAiffRead, SoundDataOffsetSkipsAlignmentPadding) {
    const std::string file = Form(BeChunk("COMM", CommonBody(1, 3, 8, Rate44100)) +
                                  Sound(std::string("\0\0\0\0\x01\x02\x03", 7), 4));
    const auto layout = Layout(file);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->frameCount, 3);
    EXPECT_EQ(file.substr(static_cast<std::size_t>(layout->dataBegin), 3), "\x01\x02\x03");
    // An offset beyond the payload describes no sound.
    EXPECT_FALSE(Layout(Form(BeChunk("COMM", CommonBody(1, 3, 8, Rate44100)) + Sound("abc", 10))));
}

TEST(FormAiffRead, RefusedSampleSizesChannelsAndRates) {
    const std::string sound = Sound(std::string(64, '\0'));
    EXPECT_FALSE(Layout(Form(BeChunk("COMM", CommonBody(1, 0, 12, Rate44100)) + sound)));
    EXPECT_FALSE(Layout(Form(BeChunk("COMM", CommonBody(0, 0, 16, Rate44100)) + sound)));
    EXPECT_FALSE(Layout(Form(BeChunk("COMM", CommonBody(0xFFFF, 0, 16, Rate44100)) + sound)));
    for (const std::string& rate :
         {std::string(10, '\0'),                              // zero
          std::string("\x7F\xFF\x80\0\0\0\0\0\0\0", 10),      // infinity
          std::string("\x7F\xFF\xC0\0\0\0\0\0\0\0", 10),      // NaN
          std::string("\x00\x01\x80\0\0\0\0\0\0\0", 10),      // far below the double range
          std::string("\xC0\x0E\xAC\x44\0\0\0\0\0\0", 10)}) { // -44100
        EXPECT_FALSE(Layout(Form(BeChunk("COMM", CommonBody(1, 0, 16, rate)) + sound)));
    }
    for (int bits : {8, 24, 32}) {
        const auto layout =
            Layout(Form(BeChunk("COMM", CommonBody(1, 0, bits, Rate44100)) + sound));
        ASSERT_TRUE(layout) << bits;
        EXPECT_EQ(layout->bitDepth.GetBits(), bits);
    }
    EXPECT_FALSE(Layout(Form(sound)));
    EXPECT_FALSE(Layout(Form(BeChunk("COMM", CommonBody(1, 0, 16, Rate44100)))));
    // "SSND" shorter than its own two fields.
    EXPECT_FALSE(
        Layout(Form(BeChunk("COMM", CommonBody(1, 0, 16, Rate44100)) + BeChunk("SSND", "abc"))));
}

TEST(FormAiffDto, RecognisesOnlyFormAiff) {
    CFormAiffDto dto(std::make_shared<Chunks::CFormAiffChunk::CDefaultChunkFactory>(false));
    std::istringstream aiff(Form(""));
    EXPECT_TRUE(dto.IsReadable(aiff));
    EXPECT_EQ(aiff.tellg(), 0);
    std::istringstream compressed(Form("", "AIFC"));
    EXPECT_FALSE(dto.IsReadable(compressed));
    std::istringstream wave("RIFF" + Le32(4) + "WAVE");
    EXPECT_FALSE(dto.IsReadable(wave));
}

TEST(FormAiffDto, MarkerNamesArePaddedToEvenLength) {
    Chunks::CMarkerChunk marker;
    marker.markers = {{1, 100, "abcd"}, {2, 200, "abcde"}};
    std::stringstream stream;
    ASSERT_TRUE(marker.Write(stream));
    const std::string body = stream.str().substr(8);
    EXPECT_EQ(body, Be16(2) + Be16(1) + Be32(100) +
                        "\x04"
                        "abcd" +
                        std::string(1, '\0') + Be16(2) + Be32(200) +
                        "\x05"
                        "abcde");

    CFormAiffDto dto(std::make_shared<Chunks::CFormAiffChunk::CDefaultChunkFactory>(false));
    std::istringstream input(Form(stream.str()));
    ASSERT_TRUE(dto.Read(input));
    const auto read = dto.FindChunkAs<Chunks::CMarkerChunk>(Code::Mark);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->markers, marker.markers);
}

TEST(FormAiffDto, EveryChunkClassRoundTrips) {
    CFormAiffDto written(nullptr);
    auto instrument = std::make_shared<Chunks::CInstrumentChunk>();
    instrument->baseNote = 60;
    instrument->detune = -12;
    instrument->sustainLoop = {2, 1, 2};
    auto comments = std::make_shared<Chunks::CCommentsChunk>();
    comments->comments = {{5, 1, "odd"}, {6, 0, "even"}};
    auto name = std::make_shared<Chunks::CTextChunk>(Code::Name);
    name->text = "kick";
    auto copyright = std::make_shared<Chunks::CTextChunk>(Code::Copyright);
    copyright->text = "2024";
    written.push_back(instrument);
    written.push_back(comments);
    written.push_back(name);
    written.push_back(copyright);
    written.push_back(std::make_shared<Chunks::CMidiDataChunk>());
    written.push_back(std::make_shared<Chunks::CAudioRecordingChunk>());
    written.push_back(std::make_shared<Chunks::CApplicationSpecificChunk>());
    std::stringstream stream;
    ASSERT_TRUE(written.Write(stream));
    EXPECT_EQ(instrument->GetHeader().GetSize(), 20);

    CFormAiffDto read(std::make_shared<Chunks::CFormAiffChunk::CDefaultChunkFactory>(false));
    stream.seekg(0);
    ASSERT_TRUE(read.Read(stream));
    ASSERT_EQ(read.size(), 7u);
    const auto inst = read.FindChunkAs<Chunks::CInstrumentChunk>(Code::Inst);
    ASSERT_TRUE(inst);
    EXPECT_EQ(inst->baseNote, 60);
    EXPECT_EQ(inst->detune, -12);
    EXPECT_EQ(inst->sustainLoop.playMode, 2);
    EXPECT_EQ(inst->sustainLoop.endMarker, 2);
    EXPECT_EQ(read.FindChunkAs<Chunks::CCommentsChunk>(Code::Comt)->comments, comments->comments);
    EXPECT_EQ(read.FindChunkAs<Chunks::CTextChunk>(Code::Name)->text, "kick");
    EXPECT_EQ(read.FindChunkAs<Chunks::CTextChunk>(Code::Copyright)->text, "2024");
    EXPECT_TRUE(read.FindChunkAs<Chunks::CMidiDataChunk>(Code::Midi));
}

TEST(FormAiffDto, ForgedCommentLengthFails) {
    const std::string body = Be16(1) + Be32(0) + Be16(0) + Be16(0xFFFF) + "short";
    CFormAiffDto dto(std::make_shared<Chunks::CFormAiffChunk::CDefaultChunkFactory>(false));
    std::istringstream input(Form(BeChunk("COMT", body)));
    EXPECT_FALSE(dto.Read(input));
}

TEST(FormAiffHeader, ExportLayoutOfThousandStereoFrames) {
    std::stringstream stream(std::string(54 + 4000, '\x5A'));
    ASSERT_TRUE(Chunks::WriteHeader(stream, CBitDepth::INTEGER16, 44100.0, 2, 54, 54 + 4000));
    const std::string bytes = stream.str();
    ASSERT_EQ(bytes.size(), 4054u);
    EXPECT_EQ(bytes.substr(0, 54), "FORM" + Be32(4046) + "AIFF" + "COMM" + Be32(18) + Be16(2) +
                                       Be32(1000) + Be16(16) + Rate44100 + "SSND" + Be32(4008) +
                                       Be32(0) + Be32(0));
    EXPECT_EQ(bytes.substr(54), std::string(4000, '\x5A'));
}

TEST(FormAiffHeader, OddDataIsPaddedAndFloatIsRefused) {
    std::stringstream stream(std::string(54 + 3, '\0'));
    ASSERT_TRUE(Chunks::WriteHeader(stream, CBitDepth::INTEGER24, 32000.0, 1, 54, 57));
    const std::string bytes = stream.str();
    ASSERT_EQ(bytes.size(), 58u);
    EXPECT_EQ(bytes.substr(4, 4), Be32(46 + 3 + 1));
    EXPECT_EQ(bytes.substr(28, 10), std::string("\x40\x0D\xFA\0\0\0\0\0\0\0", 10));
    EXPECT_EQ(bytes[57], '\xFF');

    std::stringstream refused;
    EXPECT_FALSE(Chunks::WriteHeader(refused, CBitDepth::FLOAT32, 44100.0, 1, 54, 54));
    EXPECT_FALSE(Chunks::WriteHeader(refused, CBitDepth::INTEGER16, std::nan(""), 1, 54, 54));
    EXPECT_FALSE(Chunks::WriteHeader(refused, CBitDepth::INTEGER16, 44100.0, 40000, 54, 54));
}

} // namespace
} // namespace SL
