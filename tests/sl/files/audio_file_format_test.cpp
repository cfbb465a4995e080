#include "sl/files/audio_file_format.h"
#include "sl/files/file_sample_buffer_factory.h"
#include "sl/files/wave_file_loader.h"
#include "tests/sl/files/chunk_bytes.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace SL {
namespace {

using namespace TestBytes;

TEST(AudioFileFormats, EveryEntryReadsBackTheHeaderItWrites) {
    std::set<int> seen;
    for (const CAudioFileFormat& format : AudioFileFormats()) {
        SCOPED_TRACE(format.fileFormat.ToString());
        EXPECT_TRUE(seen.insert(format.fileFormat.GetValue()).second);
        EXPECT_EQ(FindAudioFileFormat(format.fileFormat), &format);

        const std::int32_t dataBegin = format.headerSize;
        const std::int32_t dataEnd = dataBegin + 3 * 2 * 3;
        ASSERT_TRUE(format.canWriteHeader(CBitDepth::INTEGER24, 32000.0, 2));
        // The samples are there first, as the sample writer leaves them; the header goes
        // before them.
        std::stringstream file(std::string(static_cast<std::size_t>(dataEnd), '\x05'));
        ASSERT_TRUE(format.writeHeader(file, CBitDepth::INTEGER24, 32000.0, 2, dataBegin, dataEnd));

        file.seekg(0);
        EXPECT_EQ(RecogniseAudioFile(file), &format);
        EXPECT_EQ(file.tellg(), 0);
        const std::optional<CSampleDataLayout> layout = ReadSampleDataLayout(format, file);
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->fileFormat, format.fileFormat);
        EXPECT_EQ(layout->endianness, format.endianness);
        EXPECT_EQ(layout->bitDepth, CBitDepth::INTEGER24);
        EXPECT_EQ(layout->sampleRate, 32000.0);
        EXPECT_EQ(layout->frameCount, 3);
        EXPECT_EQ(layout->dataBegin, dataBegin);
        EXPECT_EQ(layout->dataEnd, dataEnd);
    }
    EXPECT_EQ(FindAudioFileFormat(CWaveFileFormat::INVALID), nullptr);
}

// The loader and the factory both recognise through the table, so whatever one accepts the
// other accepts as the same format, and what one refuses the other refuses.
TEST(AudioFileFormats, LoaderAndFactoryAgreeOnEveryFile) {
    const std::string data = LeChunk("data", std::string(8, 1));
    const std::string ssnd = BeChunk("SSND", Be32(0) + Be32(0) + std::string(8, 1));
    // A sampler chunk whose loop count promises more loops than the chunk holds.
    const std::string brokenSampler = LeChunk("smpl", std::string(28, 0) + Le32(5) + Le32(0));
    const struct {
        const char* name;
        std::string bytes;
        bool readable;
    } cases[] = {
        {"wave", Riff(LeChunk("fmt ", FormatBody(1, 2, 44100, 16)) + data), true},
        {"aiff", Form(BeChunk("COMM", CommonBody(1, 0, 16, Rate44100)) + ssnd), true},
        {"compressed aiff", Form(BeChunk("COMM", CommonBody(1, 0, 16, Rate44100)) + ssnd, "AIFC"),
         false},
        {"riff of another form", "RIFF" + Le32(4) + "AVI ", false},
        {"12-bit wave", Riff(LeChunk("fmt ", FormatBody(1, 1, 44100, 12)) + data), false},
        {"odd aiff sample size", Form(BeChunk("COMM", CommonBody(1, 0, 0xFFF0, Rate44100)) + ssnd),
         false},
        {"wave with a broken sampler chunk",
         Riff(LeChunk("fmt ", FormatBody(1, 1, 44100, 16)) + brokenSampler + data), false},
        {"text", "neither of the two", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::istringstream loaderInput(c.bytes);
        const CLoadedWave loaded = LoadWave(loaderInput);
        const auto source = CFileSampleBufferFactory().CreateInputSource(
            std::make_shared<std::istringstream>(c.bytes));
        EXPECT_EQ(static_cast<bool>(loaded), c.readable);
        EXPECT_EQ(source != nullptr, c.readable);
        if (source) {
            EXPECT_EQ(source->fileFormat, loaded.fileFormat);
        }
        std::istringstream probe(c.bytes);
        const CAudioFileFormat* recognised = RecogniseAudioFile(probe);
        EXPECT_EQ(loaded.fileFormat,
                  recognised ? recognised->fileFormat : CWaveFileFormat::INVALID);
    }
}

} // namespace
} // namespace SL
