// Files written by sox and read by libsndfile are the independent oracle: every sample our input
// iterators deliver must equal what libsndfile reads from the same file, and every file our
// output iterators write must read back identically through libsndfile and through sox.
#include "sl/files/file_sample_buffer_factory.h"
#include "tests/support/required_program.h"
#include "tests/support/sound_file.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace SL {
namespace {

using ZQ3::Fixture::ReadFileBytes;
using ZQ3::Fixture::WriteFileBytes;
using CTemporaryDirectory = ZQ3::Fixture::TemporaryDirectory;

#define REQUIRE_SOX() ZQ3_REQUIRE_PROGRAM("sox", "sox")

void Sox(const std::string& arguments) {
    const std::string command = "sox -V1 " + arguments + " 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// Interleaved samples as a common currency: integers scaled to 32 bits, floats as doubles.
struct CSamples {
    long long frames = -1;
    int channels = 0;
    int sampleRate = 0;
    std::vector<double> values;
};

template <typename Sample>
CSamples ToCommonCurrency(const std::string& path) {
    CSamples samples;
    const auto sound = ZQ3::Fixture::ReadSoundFile<Sample>(path);
    if (!sound) {
        ADD_FAILURE() << "libsndfile cannot read " << path;
        return samples;
    }
    samples.frames = sound->frames;
    samples.channels = sound->channels;
    samples.sampleRate = sound->sampleRate;
    samples.values.assign(sound->samples.begin(), sound->samples.end());
    return samples;
}

CSamples ReadWithSndfile(const std::string& path, bool floating) {
    return floating ? ToCommonCurrency<double>(path) : ToCommonCurrency<int>(path);
}

// The value libsndfile reports for one of our samples of that type.
template <int Tag>
double Scaled(SampleValue<Tag> value, bool signedBytes) {
    if constexpr (Tag == CSampleTag::Integer8) {
        (void)signedBytes;
        return static_cast<double>((static_cast<int>(value) - 128) * (1 << 24));
    } else if constexpr (Tag == CSampleTag::Integer16) {
        return static_cast<double>(value * 65536);
    } else if constexpr (Tag == CSampleTag::Integer24) {
        return static_cast<double>(value * 256);
    } else {
        return static_cast<double>(value);
    }
}

CSamples ReadWithOurs(const std::string& path) {
    CSamples samples;
    const auto iterator = CFileSampleBufferFactory().CreateInputSampleIterator(path);
    if (!iterator) {
        ADD_FAILURE() << "our reader refuses " << path;
        return samples;
    }
    const CSampleAttribute& attribute = iterator->GetAttribute();
    samples.frames = attribute.GetLength();
    samples.channels = attribute.GetChannelCount();
    samples.sampleRate = static_cast<int>(attribute.GetSampleRate());
    VisitStreamableTag<bool>(attribute.GetBitDepth().GetValue(), [&](auto tag) {
        auto typed = std::dynamic_pointer_cast<ITypedInputSampleIterator<tag.value>>(iterator);
        for (; typed->IsValid(); typed->Advance()) {
            samples.values.push_back(Scaled<tag.value>(typed->GetValue(), false));
        }
        EXPECT_TRUE(typed->IsGood()) << path;
        return true;
    });
    return samples;
}

void ExpectSameSamples(const std::string& path, bool floating) {
    SCOPED_TRACE(path);
    const CSamples theirs = ReadWithSndfile(path, floating);
    const CSamples ours = ReadWithOurs(path);
    ASSERT_GT(theirs.frames, 0);
    EXPECT_EQ(ours.frames, theirs.frames);
    EXPECT_EQ(ours.channels, theirs.channels);
    EXPECT_EQ(ours.sampleRate, theirs.sampleRate);
    ASSERT_EQ(ours.values.size(), theirs.values.size());
    for (std::size_t i = 0; i < ours.values.size(); ++i) {
        ASSERT_EQ(ours.values[i], theirs.values[i]) << "sample " << i;
    }
}

// A file's chunks, to rearrange what sox wrote. Sizes are in the file's byte order.
struct CChunk {
    std::string identifier;
    std::string body;
};

std::uint32_t SizeAt(const std::string& bytes, std::size_t at, bool big) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const auto byte = static_cast<std::uint8_t>(bytes[at + (big ? i : 3 - i)]);
        value = (value << 8) | byte;
    }
    return value;
}

std::string SizeBytes(std::uint32_t size, bool big) {
    std::string bytes(4, '\0');
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[big ? 3 - i : i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    }
    return bytes;
}

std::vector<CChunk> SplitChunks(const std::string& file, bool big) {
    std::vector<CChunk> chunks;
    for (std::size_t at = 12; at + 8 <= file.size();) {
        const std::uint32_t size = SizeAt(file, at + 4, big);
        chunks.push_back({file.substr(at, 4), file.substr(at + 8, size)});
        at += 8 + size + (size & 1);
    }
    return chunks;
}

std::string JoinChunks(const std::string& file, const std::vector<CChunk>& chunks, bool big) {
    std::string body = file.substr(8, 4);
    for (const CChunk& chunk : chunks) {
        body += chunk.identifier + SizeBytes(static_cast<std::uint32_t>(chunk.body.size()), big) +
                chunk.body;
        if (chunk.body.size() % 2 == 1) {
            body.push_back('\0');
        }
    }
    return file.substr(0, 4) + SizeBytes(static_cast<std::uint32_t>(body.size()), big) + body;
}

std::size_t Find(const std::vector<CChunk>& chunks, const std::string& identifier) {
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        if (chunks[i].identifier == identifier) {
            return i;
        }
    }
    ADD_FAILURE() << "no chunk " << identifier;
    return 0;
}

struct CWaveShape {
    int bits;
    const char* encoding;
    int channels;
    int rate;
    bool floating;
};

TEST(Interoperability, WaveFilesOfEveryRepresentation) {
    REQUIRE_SOX();
    CTemporaryDirectory directory;
    const CWaveShape shapes[] = {
        {8, "unsigned-integer", 1, 8000, false}, {8, "unsigned-integer", 3, 11025, false},
        {16, "signed-integer", 1, 22050, false}, {16, "signed-integer", 2, 44100, false},
        {16, "signed-integer", 8, 48000, false}, {24, "signed-integer", 1, 96000, false},
        {24, "signed-integer", 2, 44100, false}, {32, "signed-integer", 2, 192000, false},
        {32, "signed-integer", 5, 32000, false}, {32, "floating-point", 1, 44100, true},
        {32, "floating-point", 2, 48000, true},  {64, "floating-point", 2, 44100, true},
        {64, "floating-point", 7, 16000, true},
    };
    int index = 0;
    for (const CWaveShape& shape : shapes) {
        const std::string path = (directory / "shape" + std::to_string(index++) + ".wav");
        Sox("-n -r " + std::to_string(shape.rate) + " -c " + std::to_string(shape.channels) +
            " -b " + std::to_string(shape.bits) + " -e " + shape.encoding + " " + path +
            " synth 0.0137 whitenoise");
        ExpectSameSamples(path, shape.floating);
    }
}

TEST(Interoperability, WaveWithExtensibleFormatChunk) {
    REQUIRE_SOX();
    CTemporaryDirectory directory;
    for (const std::string options : {"-c 2 -b 24", "-c 6 -b 16", "-c 3 -b 32"}) {
        const std::string path = (directory / "extensible.wav");
        Sox("-n -r 48000 " + options + " " + path + " synth 0.01 whitenoise");
        const std::string bytes = ReadFileBytes(path);
        const auto chunks = SplitChunks(bytes, false);
        const CChunk& format = chunks[Find(chunks, "fmt ")];
        // The premise: sox wrote the 40-byte extensible layout.
        ASSERT_EQ(format.body.size(), 40u) << options;
        ASSERT_EQ(format.body.substr(0, 2), std::string("\xFE\xFF", 2)) << options;
        ExpectSameSamples(path, false);
    }
}

TEST(Interoperability, WaveWithOtherChunksAroundData) {
    REQUIRE_SOX();
    CTemporaryDirectory directory;
    const std::string source = (directory / "plain.wav");
    Sox("-n -r 44100 -c 2 -b 16 " + source + " synth 0.02 whitenoise");
    const std::string bytes = ReadFileBytes(source);
    std::vector<CChunk> chunks = SplitChunks(bytes, false);
    const std::size_t data = Find(chunks, "data");
    chunks.insert(chunks.begin() + static_cast<long>(data),
                  {{"LIST", std::string("INFOISFT\x05\0\0\0zq3!\0\0", 16)}, {"odd ", "abc"}});
    chunks.push_back({"junk", std::string(10, 'j')});
    chunks.push_back({"id3 ", "tail"});
    const std::string path = (directory / "chunks.wav");
    WriteFileBytes(path, JoinChunks(bytes, chunks, false));
    ExpectSameSamples(path, false);
}

TEST(Interoperability, AiffFilesOfEveryIntegerSize) {
    REQUIRE_SOX();
    CTemporaryDirectory directory;
    int index = 0;
    for (int bits : {8, 16, 24, 32}) {
        for (int channels : {1, 2, 6}) {
            const int rate = (index % 3 == 0) ? 44100 : (index % 3 == 1 ? 22050 : 96000);
            const std::string path = (directory / "shape" + std::to_string(index++) + ".aiff");
            Sox("-n -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " -b " +
                std::to_string(bits) + " " + path + " synth 0.0111 whitenoise");
            ExpectSameSamples(path, false);
        }
    }
}

TEST(Interoperability, AiffWithCommonChunkAfterSoundData) {
    REQUIRE_SOX();
    CTemporaryDirectory directory;
    const std::string source = (directory / "usual.aiff");
    Sox("-n -r 44100 -c 2 -b 16 " + source + " synth 0.02 whitenoise");
    const std::string bytes = ReadFileBytes(source);
    std::vector<CChunk> chunks = SplitChunks(bytes, true);
    const CChunk common = chunks[Find(chunks, "COMM")];
    chunks.erase(chunks.begin() + static_cast<long>(Find(chunks, "COMM")));
    chunks.push_back({"ANNO", "moved"});
    chunks.push_back(common);
    const std::string path = (directory / "common_last.aiff");
    WriteFileBytes(path, JoinChunks(bytes, chunks, true));
    ExpectSameSamples(path, false);
}

TEST(Interoperability, OddDataLengths) {
    REQUIRE_SOX();
    CTemporaryDirectory directory;
    for (const std::string extension : {".wav", ".aiff"}) {
        for (const std::string options : {"-c 1 -b 8", "-c 1 -b 24", "-c 3 -b 8"}) {
            const std::string path = (directory / "odd" + extension);
            // 9 frames at 8000 Hz: an odd number of sample bytes.
            Sox("-n -r 8000 " + options + " " + path + " synth 9s whitenoise");
            ExpectSameSamples(path, false);
        }
    }
}

// Writes the values through our output iterator for the attribute's type.
template <int Tag>
bool WriteValues(const std::shared_ptr<IOutputSampleIterator>& iterator,
                 const std::vector<double>& values) {
    auto typed = std::dynamic_pointer_cast<ITypedOutputSampleIterator<Tag>>(iterator);
    if (!typed) {
        return false;
    }
    for (double value : values) {
        typed->SetValue(static_cast<SampleValue<Tag>>(value));
        typed->Advance();
    }
    return typed->IsGood() && typed->Finish();
}

// Values in the natural range of each type, and how libsndfile reports them.
std::vector<double> RandomValues(int tag, std::size_t count, std::vector<double>& reported) {
    std::mt19937 random(static_cast<unsigned>(static_cast<std::size_t>(tag) + count));
    std::vector<double> values;
    for (std::size_t i = 0; i < count; ++i) {
        switch (tag) {
        case CSampleTag::Integer8: {
            const int value = static_cast<int>(random() % 256);
            values.push_back(value);
            reported.push_back((value - 128) * double(1 << 24));
            break;
        }
        case CSampleTag::Integer16: {
            const int value = static_cast<int>(random() % 65536) - 32768;
            values.push_back(value);
            reported.push_back(value * 65536.0);
            break;
        }
        case CSampleTag::Integer24: {
            const int value = static_cast<int>(random() % 16777216) - 8388608;
            values.push_back(value);
            reported.push_back(value * 256.0);
            break;
        }
        case CSampleTag::Integer32: {
            const auto value = static_cast<std::int32_t>(random());
            values.push_back(value);
            reported.push_back(value);
            break;
        }
        default: {
            const float value = std::uniform_real_distribution<float>(-1.0f, 1.0f)(random);
            values.push_back(value);
            reported.push_back(value);
        }
        }
    }
    return values;
}

TEST(Interoperability, FilesWeWriteReadBackThroughSndfileAndSox) {
    REQUIRE_SOX();
    CTemporaryDirectory directory;
    struct Case {
        CWaveFileFormat format;
        CBitDepth bitDepth;
        int channels;
        int frames;
    } cases[] = {
        {CWaveFileFormat::WINWAVE, CBitDepth::INTEGER8, 1, 999},
        {CWaveFileFormat::WINWAVE, CBitDepth::INTEGER16, 2, 1000},
        {CWaveFileFormat::WINWAVE, CBitDepth::INTEGER24, 3, 333},
        {CWaveFileFormat::WINWAVE, CBitDepth::INTEGER32, 8, 100},
        {CWaveFileFormat::WINWAVE, CBitDepth::FLOAT32, 2, 250},
        {CWaveFileFormat::WINWAVE, CBitDepth::FLOAT64, 1, 250},
        {CWaveFileFormat::AIFF, CBitDepth::INTEGER8, 1, 777},
        {CWaveFileFormat::AIFF, CBitDepth::INTEGER16, 2, 1000},
        {CWaveFileFormat::AIFF, CBitDepth::INTEGER24, 1, 101},
        {CWaveFileFormat::AIFF, CBitDepth::INTEGER32, 6, 64},
    };
    int index = 0;
    for (const Case& c : cases) {
        const bool wave = c.format == CWaveFileFormat::WINWAVE;
        const std::string path =
            (directory / "ours" + std::to_string(index++) + (wave ? ".wav" : ".aiff"));
        SCOPED_TRACE(path);
        std::vector<double> reported;
        const std::vector<double> values = RandomValues(
            c.bitDepth.GetValue(), std::size_t(c.frames) * std::size_t(c.channels), reported);
        // Length 0: the header must be sized by the samples actually written.
        const CSampleAttribute attribute(c.bitDepth, 44100, c.channels, 0);
        const auto output =
            CFileSampleBufferFactory().CreateOutputSampleIterator(attribute, path, c.format);
        ASSERT_TRUE(output);
        const bool written = VisitStreamableTag<bool>(c.bitDepth.GetValue(), [&](auto tag) {
            return WriteValues<tag.value>(output, values);
        });
        ASSERT_TRUE(written);

        const bool floating = c.bitDepth.GetKind() == CBitDepth::FloatKind;
        const CSamples theirs = ReadWithSndfile(path, floating);
        EXPECT_EQ(theirs.frames, c.frames);
        EXPECT_EQ(theirs.channels, c.channels);
        EXPECT_EQ(theirs.sampleRate, 44100);
        EXPECT_EQ(theirs.values, reported);

        // sox reads our file and writes its own; libsndfile finds the same samples in that.
        const std::string converted =
            (directory / "sox" + std::to_string(index) + (wave ? ".wav" : ".aiff"));
        Sox(path + " " + converted);
        const CSamples throughSox = ReadWithSndfile(converted, floating);
        EXPECT_EQ(throughSox.frames, c.frames);
        EXPECT_EQ(throughSox.values, reported);
        ExpectSameSamples(path, floating);
    }
}

TEST(Interoperability, FixedHeaderLayoutsOfThousandStereoFrames) {
    CTemporaryDirectory directory;
    const std::vector<double> silence(2000, 0.0);
    const CSampleAttribute attribute(CBitDepth::INTEGER16, 44100, 2, 0);
    for (const CWaveFileFormat& format : {CWaveFileFormat::WINWAVE, CWaveFileFormat::AIFF}) {
        const std::string path = directory / ("thousand" + std::to_string(format.GetValue()));
        ASSERT_TRUE(WriteValues<CSampleTag::Integer16>(
            CFileSampleBufferFactory().CreateOutputSampleIterator(attribute, path, format),
            silence));
        const std::string bytes = ReadFileBytes(path);
        if (format == CWaveFileFormat::WINWAVE) {
            ASSERT_EQ(bytes.size(), 46u + 4000);
            EXPECT_EQ(SizeAt(bytes, 4, false), 4038u);
            EXPECT_EQ(bytes.substr(38, 4), "data");
            EXPECT_EQ(SizeAt(bytes, 42, false), 4000u);
            EXPECT_EQ(SizeAt(bytes, 28, false), 176400u);
        } else {
            ASSERT_EQ(bytes.size(), 54u + 4000);
            EXPECT_EQ(SizeAt(bytes, 4, true), 4046u);
            EXPECT_EQ(SizeAt(bytes, 22, true), 1000u);
            EXPECT_EQ(bytes.substr(38, 4), "SSND");
            EXPECT_EQ(SizeAt(bytes, 42, true), 4008u);
        }
        const CSamples theirs = ReadWithSndfile(path, false);
        EXPECT_EQ(theirs.frames, 1000);
    }
}

} // namespace
} // namespace SL
