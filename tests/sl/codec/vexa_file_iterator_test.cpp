// The streams over a sample's channel files: what they write and read must be exactly what the
// codec gives frame by frame, whatever the length, and a short or failing file must show as a
// cleared good flag at the right moment.

#include "sl/codec/vexa_coding.h"
#include "sl/codec/vexa_file_input_sample_iterator.h"
#include "sl/codec/vexa_file_output_sample_iterator.h"
#include "tests/support/refusing_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using SL::CVexaCoding;
using SL::CVexaFileInputSampleIterator;
using SL::CVexaFileOutputSampleIterator;
using Inputs = std::vector<std::shared_ptr<std::istream>>;
using Outputs = std::vector<std::shared_ptr<std::ostream>>;
using Samples = std::vector<std::int16_t>;
using Bytes = std::string;

// A music-like signal with bursts of noise and full-scale steps, so that frames of every mode
// appear in a few thousand samples.
Samples MakeChannel(std::mt19937& rng, std::size_t length) {
    Samples samples(length);
    std::uniform_int_distribution<int> full(-32768, 32767);
    std::normal_distribution<double> hiss(0, 200);
    const double pitch = std::uniform_real_distribution<double>(50, 5000)(rng);
    for (std::size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / 44100.0;
        double v = 12000 * std::sin(2 * M_PI * pitch * t) + hiss(rng);
        if ((i / 64) % 7 == 3) {
            v = full(rng);
        } else if ((i / 64) % 11 == 5) {
            v = (i % 2) ? 32767 : -32768;
        }
        samples[i] = static_cast<std::int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
    }
    return samples;
}

Samples Interleave(const std::vector<Samples>& channels) {
    Samples out;
    for (std::size_t t = 0; t < channels[0].size(); ++t) {
        for (const Samples& channel : channels) {
            out.push_back(channel[t]);
        }
    }
    return out;
}

// One channel file as the codec makes it, frame by frame, the last frame padded with zeros.
Bytes EncodeDirectly(int n, const Samples& channel) {
    auto coding = CVexaCoding::Create(n);
    Bytes bytes;
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(2 * n));
    for (std::size_t start = 0; start < channel.size(); start += 16) {
        std::array<std::int16_t, 16> block{};
        for (std::size_t i = 0; i < 16 && start + i < channel.size(); ++i) {
            block[i] = channel[start + i];
        }
        coding->Encode(block, 1, 0, frame);
        bytes.append(frame.begin(), frame.end());
    }
    return bytes;
}

// The first `length` samples the codec decodes from one channel file.
Samples DecodeDirectly(int n, const Bytes& bytes, std::size_t length) {
    auto coding = CVexaCoding::Create(n);
    Samples samples;
    std::array<std::int16_t, 16> block{};
    const auto frameBytes = static_cast<std::size_t>(2 * n);
    for (std::size_t start = 0; start + frameBytes <= bytes.size() && samples.size() < length;
         start += frameBytes) {
        const auto* frame = reinterpret_cast<const std::uint8_t*>(bytes.data() + start);
        coding->Decode(std::span(frame, frameBytes), block, 1, 0);
        for (std::size_t i = 0; i < 16 && samples.size() < length; ++i) {
            samples.push_back(block[i]);
        }
    }
    return samples;
}

std::vector<std::shared_ptr<std::stringstream>> MemoryFiles(std::size_t count) {
    std::vector<std::shared_ptr<std::stringstream>> files;
    for (std::size_t i = 0; i < count; ++i) {
        files.push_back(std::make_shared<std::stringstream>());
    }
    return files;
}

std::vector<std::shared_ptr<std::ostream>>
AsOutputs(const std::vector<std::shared_ptr<std::stringstream>>& files) {
    return {files.begin(), files.end()};
}

std::vector<std::shared_ptr<std::istream>> InputsOf(const std::vector<Bytes>& contents) {
    std::vector<std::shared_ptr<std::istream>> streams;
    for (const Bytes& bytes : contents) {
        streams.push_back(std::make_shared<std::istringstream>(bytes));
    }
    return streams;
}

// Writes the interleaved samples the way the import does: store, advance, Finish once.
std::vector<Bytes> WriteThroughIterator(const Samples& interleaved, std::size_t channels,
                                        int n = 8) {
    const auto files = MemoryFiles(channels);
    CVexaFileOutputSampleIterator output(AsOutputs(files), n);
    for (std::int16_t sample : interleaved) {
        EXPECT_TRUE(output.IsValid());
        output.SetValue(sample);
        output.Advance();
    }
    EXPECT_TRUE(output.Finish());
    EXPECT_TRUE(output.IsGood());
    EXPECT_EQ(output.GetSampleCount(), std::int64_t(interleaved.size()));
    std::vector<Bytes> contents;
    for (const auto& file : files) {
        contents.push_back(file->str());
    }
    return contents;
}

struct CReadResult {
    Samples samples;
    bool good = false;
};

CReadResult ReadThroughIterator(CVexaFileInputSampleIterator& input) {
    CReadResult result;
    while (input.IsValid()) {
        result.samples.push_back(input.GetValue());
        input.Advance();
    }
    result.good = input.IsGood();
    return result;
}

void ExpectRoundTrip(const std::vector<Samples>& channels, int n = 8) {
    const std::size_t length = channels[0].size();
    const std::vector<Bytes> files = WriteThroughIterator(Interleave(channels), channels.size(), n);
    ASSERT_EQ(files.size(), channels.size());
    std::vector<Samples> decoded;
    for (std::size_t c = 0; c < channels.size(); ++c) {
        ASSERT_EQ(files[c].size(), (length + 15) / 16 * static_cast<std::size_t>(2 * n))
            << "channel " << c;
        ASSERT_EQ(files[c], EncodeDirectly(n, channels[c])) << "channel " << c;
        decoded.push_back(DecodeDirectly(n, files[c], length));
    }
    CVexaFileInputSampleIterator input(InputsOf(files), n, static_cast<std::int32_t>(length));
    const CReadResult read = ReadThroughIterator(input);
    EXPECT_TRUE(read.good);
    ASSERT_EQ(read.samples, Interleave(decoded));
}

class VexaFileRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(VexaFileRoundTrip, EdgeLengthsMatchTheCodec) {
    const int channels = GetParam();
    std::mt19937 rng(static_cast<std::mt19937::result_type>(1234 + channels));
    for (std::size_t length : {1u, 15u, 16u, 17u, 31u, 32u, 33u, 3087u}) {
        SCOPED_TRACE(length);
        std::vector<Samples> signal;
        for (int c = 0; c < channels; ++c) {
            signal.push_back(MakeChannel(rng, length));
        }
        ExpectRoundTrip(signal);
    }
}

TEST_P(VexaFileRoundTrip, RandomLengthsMatchTheCodec) {
    const int channels = GetParam();
    std::mt19937 rng(static_cast<std::mt19937::result_type>(99 + channels));
    std::uniform_int_distribution<std::size_t> lengths(1, 2500);
    for (int round = 0; round < 2000; ++round) {
        const std::size_t length = lengths(rng);
        SCOPED_TRACE(length);
        std::vector<Samples> signal;
        for (int c = 0; c < channels; ++c) {
            signal.push_back(MakeChannel(rng, length));
        }
        ExpectRoundTrip(signal);
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST_P(VexaFileRoundTrip, LofiFormMatchesTheCodec) {
    const int channels = GetParam();
    std::mt19937 rng(static_cast<std::mt19937::result_type>(7 + channels));
    for (std::size_t length : {1u, 16u, 17u, 1000u}) {
        SCOPED_TRACE(length);
        std::vector<Samples> signal;
        for (int c = 0; c < channels; ++c) {
            signal.push_back(MakeChannel(rng, length));
        }
        ExpectRoundTrip(signal, 4);
    }
}

INSTANTIATE_TEST_SUITE_P(MonoAndStereo, VexaFileRoundTrip, ::testing::Values(1, 2));

TEST(VexaFileOutput, SeventeenMonoSamplesMakeAFullFrameAndAPaddedOne) {
    std::mt19937 rng(5);
    const Samples samples = MakeChannel(rng, 17);
    const std::vector<Bytes> files = WriteThroughIterator(samples, 1);
    ASSERT_EQ(files.size(), 1u);
    ASSERT_EQ(files[0].size(), 32u);
    Samples padded(32, 0);
    std::copy(samples.begin(), samples.end(), padded.begin());
    EXPECT_EQ(files[0], EncodeDirectly(8, padded));
}

TEST(VexaFileOutput, SixteenStereoFramesMakeOneFramePerFile) {
    std::mt19937 rng(6);
    const std::vector<Samples> channels{MakeChannel(rng, 16), MakeChannel(rng, 16)};
    const std::vector<Bytes> files = WriteThroughIterator(Interleave(channels), 2);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], EncodeDirectly(8, channels[0]));
    EXPECT_EQ(files[1], EncodeDirectly(8, channels[1]));
    EXPECT_EQ(files[0].size(), 16u);
}

TEST(VexaFileOutput, AStoredValueCountsOnlyOnceAdvanced) {
    const auto files = MemoryFiles(1);
    CVexaFileOutputSampleIterator output(AsOutputs(files));
    for (int i = 0; i < 3; ++i) {
        output.SetValue(1000);
        output.Advance();
    }
    output.SetValue(-5000); // never advanced: padding, not a sample
    ASSERT_TRUE(output.Finish());
    EXPECT_EQ(files[0]->str(), EncodeDirectly(8, Samples{1000, 1000, 1000}));
}

TEST(VexaFileOutput, FinishIsOnceAndEndsTheStream) {
    const auto files = MemoryFiles(2);
    CVexaFileOutputSampleIterator output(AsOutputs(files));
    EXPECT_EQ(output.GetAttribute().GetChannelCount(), 2);
    EXPECT_EQ(output.GetAttribute().GetLength(), 0);
    EXPECT_EQ(output.GetAttribute().GetSampleRate(), 44100.0);
    EXPECT_EQ(output.GetAttribute().GetBitDepth(), SL::CBitDepth::INTEGER16);
    for (int i = 0; i < 5; ++i) {
        output.SetValue(static_cast<std::int16_t>(i));
        output.Advance();
    }
    EXPECT_TRUE(output.Finish());
    EXPECT_FALSE(output.IsValid());
    output.SetValue(7);
    output.Advance();
    EXPECT_TRUE(output.Finish());
    EXPECT_EQ(output.GetSampleCount(), 5);
    EXPECT_EQ(files[0]->str().size(), 16u);
    EXPECT_EQ(files[1]->str().size(), 16u);
}

TEST(VexaFileOutput, NothingStoredMakesEmptyFiles) {
    const auto files = MemoryFiles(2);
    CVexaFileOutputSampleIterator output(AsOutputs(files));
    EXPECT_TRUE(output.Finish());
    EXPECT_TRUE(files[0]->str().empty());
    EXPECT_TRUE(files[1]->str().empty());
}

TEST(VexaFileOutput, NeverWritesPastTheByteLimit) {
    // 40 bytes hold two whole frames; the third would cross the limit.
    const auto files = MemoryFiles(1);
    CVexaFileOutputSampleIterator output(AsOutputs(files), 8, 0, 40);
    int stored = 0;
    while (output.IsValid() && stored < 1000) {
        output.SetValue(static_cast<std::int16_t>(stored * 37));
        output.Advance();
        ++stored;
    }
    EXPECT_EQ(stored, 32);
    EXPECT_TRUE(output.IsGood());
    EXPECT_TRUE(output.Finish());
    EXPECT_EQ(files[0]->str().size(), 32u);
}

TEST(VexaFileOutput, APartialFrameAtTheLimitStillFits) {
    const auto files = MemoryFiles(1);
    CVexaFileOutputSampleIterator output(AsOutputs(files), 8, 0, 40);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(output.IsValid());
        output.SetValue(100);
        output.Advance();
    }
    EXPECT_TRUE(output.Finish());
    EXPECT_EQ(files[0]->str().size(), 32u);
}

// Runs of mixed lengths, some ending inside a frame and some spanning many blocks, with single
// stores between them: the files are byte for byte those of storing sample by sample.
TEST(VexaFileOutput, RunWritesMakeTheSameFilesAsSingleStores) {
    std::mt19937 rng(11);
    for (const std::size_t channels : {std::size_t{1}, std::size_t{2}}) {
        std::vector<Samples> signal;
        for (std::size_t c = 0; c < channels; ++c) {
            signal.push_back(MakeChannel(rng, 70001));
        }
        const Samples interleaved = Interleave(signal);
        const auto files = MemoryFiles(channels);
        CVexaFileOutputSampleIterator output(AsOutputs(files));
        std::size_t done = 0;
        std::uniform_int_distribution<std::size_t> length(0, 40000);
        while (done < interleaved.size()) {
            const std::size_t run = std::min(length(rng), interleaved.size() - done);
            ASSERT_EQ(output.Write(interleaved.data() + done, run), run);
            done += run;
            if (done < interleaved.size()) {
                output.SetValue(interleaved[done]);
                output.Advance();
                ++done;
            }
        }
        EXPECT_EQ(output.GetSampleCount(), std::int64_t(interleaved.size()));
        ASSERT_TRUE(output.Finish());
        EXPECT_EQ(output.Write(interleaved.data(), 1), 0u) << "nothing after Finish";
        const std::vector<Bytes> single = WriteThroughIterator(interleaved, channels);
        for (std::size_t c = 0; c < channels; ++c) {
            EXPECT_TRUE(files[c]->str() == single[c]) << "channel " << c;
        }
    }
}

TEST(VexaFileOutput, RunWritesStopAtTheByteLimitWhereRoomSays) {
    // 40 bytes hold two whole frames of 16 samples.
    const auto files = MemoryFiles(1);
    CVexaFileOutputSampleIterator output(AsOutputs(files), 8, 0, 40);
    EXPECT_EQ(output.Room(), 32);
    const Samples values(100, 1234);
    EXPECT_EQ(output.Write(values.data(), 5), 5u);
    EXPECT_EQ(output.Room(), 27);
    EXPECT_EQ(output.Write(values.data(), 100), 27u);
    EXPECT_FALSE(output.IsValid());
    EXPECT_EQ(output.Room(), 0);
    EXPECT_TRUE(output.Finish());
    EXPECT_EQ(files[0]->str().size(), 32u);

    CVexaFileOutputSampleIterator unusable(AsOutputs(MemoryFiles(1)), 9);
    EXPECT_EQ(unusable.Room(), 0);
    EXPECT_EQ(unusable.Write(values.data(), 10), 0u);
}

TEST(VexaFileOutput, FramesStartAtTheDataOffset) {
    const auto files = MemoryFiles(1);
    files[0]->str("HEADER");
    std::mt19937 rng(8);
    const Samples samples = MakeChannel(rng, 40);
    CVexaFileOutputSampleIterator output(AsOutputs(files), 8, 6);
    for (std::int16_t s : samples) {
        output.SetValue(s);
        output.Advance();
    }
    ASSERT_TRUE(output.Finish());
    EXPECT_EQ(output.GetBytesWritten(), 6 + 48);
    EXPECT_EQ(files[0]->str(), "HEADER" + EncodeDirectly(8, samples));
}

using ZQ3::Fixture::CRefusingStream;

TEST(VexaFileOutput, AFailedWriteShowsInFinish) {
    auto good = std::make_shared<std::stringstream>();
    auto refusing = std::make_shared<CRefusingStream>();
    CVexaFileOutputSampleIterator output(Outputs{good, refusing});
    for (int i = 0; i < 34; ++i) {
        output.SetValue(static_cast<std::int16_t>(i));
        output.Advance();
    }
    EXPECT_FALSE(output.Finish());
    EXPECT_FALSE(output.IsGood());
    EXPECT_FALSE(output.Finish());
}

TEST(VexaFileOutput, AFailedBlockWriteEndsTheCopy) {
    auto refusing = std::make_shared<CRefusingStream>();
    CVexaFileOutputSampleIterator output(Outputs{refusing});
    std::int64_t stored = 0;
    while (output.IsValid() && stored < 10'000'000) {
        output.SetValue(1);
        output.Advance();
        ++stored;
    }
    // The first full block fails to reach the file.
    EXPECT_EQ(stored, std::int64_t(CVexaFileOutputSampleIterator::kBlockBytes));
    EXPECT_FALSE(output.IsGood());
    EXPECT_FALSE(output.Finish());
}

TEST(VexaFileOutput, UnusableSetupsAreNeitherGoodNorValid) {
    auto stream = std::make_shared<std::stringstream>();
    std::vector<std::unique_ptr<CVexaFileOutputSampleIterator>> outputs;
    outputs.push_back(std::make_unique<CVexaFileOutputSampleIterator>(Outputs{}));
    outputs.push_back(std::make_unique<CVexaFileOutputSampleIterator>(Outputs{stream, nullptr}));
    outputs.push_back(std::make_unique<CVexaFileOutputSampleIterator>(Outputs{stream}, 3));
    outputs.push_back(std::make_unique<CVexaFileOutputSampleIterator>(Outputs{stream}, 9));
    outputs.push_back(std::make_unique<CVexaFileOutputSampleIterator>(Outputs{stream}, 8, -1));
    outputs.push_back(std::make_unique<CVexaFileOutputSampleIterator>(Outputs{stream}, 8, 50, 40));
    for (auto& output : outputs) {
        EXPECT_FALSE(output->IsValid());
        EXPECT_FALSE(output->IsGood());
        output->SetValue(5);
        output->Advance();
        EXPECT_FALSE(output->Finish());
    }
    outputs.clear();
    EXPECT_TRUE(stream->str().empty());
}

// Counts the calls that reach the file, to show that it is read and written in blocks.
class CCountingBuffer : public std::stringbuf {
public:
    using std::stringbuf::stringbuf;
    int reads = 0;
    int writes = 0;

protected:
    std::streamsize xsgetn(char* s, std::streamsize n) override {
        ++reads;
        return std::stringbuf::xsgetn(s, n);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        ++writes;
        return std::stringbuf::xsputn(s, n);
    }
};

struct CCountingBufferHolder {
    CCountingBuffer buffer;
};

struct CCountingStream : CCountingBufferHolder, std::iostream {
    explicit CCountingStream(std::string bytes = {})
        : CCountingBufferHolder{CCountingBuffer(std::move(bytes))}, std::iostream(&buffer) {}
};

TEST(VexaFileStreams, FilesMoveInLargeBlocks) {
    constexpr std::size_t kLength = 1 << 20; // one MiB of frames
    std::mt19937 rng(10);
    const Samples samples = MakeChannel(rng, kLength);
    auto target = std::make_shared<CCountingStream>();
    {
        CVexaFileOutputSampleIterator output(Outputs{target});
        for (std::int16_t s : samples) {
            output.SetValue(s);
            output.Advance();
        }
        ASSERT_TRUE(output.Finish());
    }
    EXPECT_LE(target->buffer.writes, 17);
    const Bytes bytes = target->buffer.str();
    ASSERT_EQ(bytes.size(), kLength);

    auto source = std::make_shared<CCountingStream>(bytes);
    CVexaFileInputSampleIterator input(Inputs{source}, 8, kLength);
    const CReadResult read = ReadThroughIterator(input);
    EXPECT_TRUE(read.good);
    EXPECT_EQ(read.samples, DecodeDirectly(8, bytes, kLength));
    EXPECT_LE(source->buffer.reads, 17);
}

TEST(VexaFileInput, ReportsTheStreamShape) {
    const std::vector<Bytes> files(2, Bytes(64, '\0'));
    CVexaFileInputSampleIterator input(InputsOf(files), 8, 50);
    const SL::CSampleAttribute& attribute = input.GetAttribute();
    EXPECT_EQ(attribute.GetBitDepth(), SL::CBitDepth::INTEGER16);
    EXPECT_EQ(attribute.GetSampleRate(), 44100.0);
    EXPECT_EQ(attribute.GetChannelCount(), 2);
    EXPECT_EQ(attribute.GetLength(), 50);
    EXPECT_TRUE(attribute.IsLittleEndian());
    EXPECT_EQ(input.GetBitsPerSample(), 8);
}

TEST(VexaFileInput, AReadPastTheEndClearsTheGoodFlagAtTheNextFrameBoundary) {
    std::mt19937 rng(11);
    const Samples samples = MakeChannel(rng, 32);
    const Bytes file = EncodeDirectly(8, samples);
    const Samples decoded = DecodeDirectly(8, file, 32);
    // Asks for more than the two frames the file holds.
    CVexaFileInputSampleIterator input(InputsOf({file}), 8, 40);
    for (std::size_t i = 0; i < 32; ++i) {
        ASSERT_TRUE(input.IsValid()) << i;
        ASSERT_TRUE(input.IsGood()) << i;
        EXPECT_EQ(input.GetValue(), decoded[i]) << i;
        input.Advance();
    }
    EXPECT_FALSE(input.IsGood());
    EXPECT_FALSE(input.IsValid());
}

TEST(VexaFileInput, APartialFrameIsAReadError) {
    std::mt19937 rng(12);
    const Bytes file = EncodeDirectly(8, MakeChannel(rng, 32)).substr(0, 16 + 9);
    CVexaFileInputSampleIterator input(InputsOf({file}), 8, 32);
    const CReadResult read = ReadThroughIterator(input);
    EXPECT_FALSE(read.good);
    EXPECT_EQ(read.samples, DecodeDirectly(8, file, 16));
}

TEST(VexaFileInput, AShortRightFileEndsTheStereoStreamAtItsLastFrame) {
    std::mt19937 rng(13);
    const std::vector<Samples> channels{MakeChannel(rng, 48), MakeChannel(rng, 48)};
    const Bytes left = EncodeDirectly(8, channels[0]);
    const Bytes right = EncodeDirectly(8, channels[1]).substr(0, 32);
    CVexaFileInputSampleIterator input(InputsOf({left, right}), 8, 48);
    const CReadResult read = ReadThroughIterator(input);
    EXPECT_FALSE(read.good);
    EXPECT_EQ(read.samples,
              Interleave({DecodeDirectly(8, left, 32), DecodeDirectly(8, right, 32)}));
}

TEST(VexaFileInput, TheRequestedLengthIsANormalEnd) {
    std::mt19937 rng(14);
    const Bytes file = EncodeDirectly(8, MakeChannel(rng, 64));
    for (std::int32_t length : {0, 1, 16, 20, 64}) {
        SCOPED_TRACE(length);
        CVexaFileInputSampleIterator input(InputsOf({file}), 8, length);
        const CReadResult read = ReadThroughIterator(input);
        EXPECT_TRUE(read.good);
        EXPECT_EQ(read.samples, DecodeDirectly(8, file, static_cast<std::size_t>(length)));
        // Advancing on past the end reads nothing and stays clean.
        for (int i = 0; i < 100; ++i) {
            input.Advance();
        }
        EXPECT_TRUE(input.IsGood());
        EXPECT_FALSE(input.IsValid());
    }
}

TEST(VexaFileInput, FramesStartAtTheDataOffset) {
    std::mt19937 rng(15);
    const Samples samples = MakeChannel(rng, 50);
    const Bytes file = EncodeDirectly(8, samples);
    CVexaFileInputSampleIterator input(InputsOf({"JUNK!" + file}), 8, 50, 5);
    const CReadResult read = ReadThroughIterator(input);
    EXPECT_TRUE(read.good);
    EXPECT_EQ(read.samples, DecodeDirectly(8, file, 50));
}

TEST(VexaFileInput, SeekingLandsExactlyOnAnyFrame) {
    std::mt19937 rng(16);
    constexpr std::int32_t kLength = 1000;
    const std::vector<Samples> channels{MakeChannel(rng, kLength), MakeChannel(rng, kLength)};
    const std::vector<Bytes> files{EncodeDirectly(8, channels[0]), EncodeDirectly(8, channels[1])};
    const Samples expected =
        Interleave({DecodeDirectly(8, files[0], kLength), DecodeDirectly(8, files[1], kLength)});
    CVexaFileInputSampleIterator input(InputsOf(files), 8, kLength);
    // Move away first so that no seek starts from a fresh stream.
    for (int i = 0; i < 333; ++i) {
        input.Advance();
    }
    for (std::int64_t target : {0, 1, 15, 16, 17, 31, 32, 100, 511, 999, 5, 0}) {
        SCOPED_TRACE(target);
        input.Seek(target);
        EXPECT_EQ(input.GetPosition(), target);
        EXPECT_EQ(input.GetOffset(3), target + 3);
        Samples rest;
        while (input.IsValid()) {
            rest.push_back(input.GetValue());
            input.Advance();
        }
        EXPECT_TRUE(input.IsGood());
        EXPECT_EQ(rest, Samples(expected.begin() + 2 * target, expected.end()));
    }
    input.Seek(kLength + 50);
    EXPECT_FALSE(input.IsValid());
    input.Seek(-10);
    EXPECT_EQ(input.GetPosition(), 0);
    EXPECT_EQ(input.GetValue(), expected[0]);
}

// Reads in runs of the given sizes, in turn, with a single step between runs, until the stream
// ends: every mix of runs and steps must give the samples a step-by-step read gives.
CReadResult ReadInRuns(CVexaFileInputSampleIterator& input, const std::vector<std::size_t>& runs) {
    CReadResult result;
    for (std::size_t turn = 0; input.IsValid(); ++turn) {
        Samples run(runs[turn % runs.size()], -1);
        const std::size_t read = input.Read(run.data(), run.size());
        EXPECT_LE(read, run.size());
        result.samples.insert(result.samples.end(), run.begin(),
                              run.begin() + static_cast<std::ptrdiff_t>(read));
        if (input.IsValid()) {
            result.samples.push_back(input.GetValue());
            input.Advance();
        }
    }
    result.good = input.IsGood();
    return result;
}

TEST(VexaFileInput, RunsReadWhatStepsRead) {
    std::mt19937 rng(17);
    for (std::int32_t length : {1, 15, 16, 17, 100, 1000}) {
        for (std::size_t channels : {1u, 2u}) {
            SCOPED_TRACE(testing::Message() << length << " frames, " << channels << " channels");
            std::vector<Samples> source;
            std::vector<Bytes> files;
            for (std::size_t c = 0; c < channels; ++c) {
                source.push_back(MakeChannel(rng, static_cast<std::size_t>(length)));
                files.push_back(EncodeDirectly(8, source.back()));
            }
            CVexaFileInputSampleIterator stepped(InputsOf(files), 8, length);
            const CReadResult expected = ReadThroughIterator(stepped);
            for (const std::vector<std::size_t>& runs :
                 std::vector<std::vector<std::size_t>>{{1}, {5}, {31, 32, 33}, {4096}, {0, 7}}) {
                CVexaFileInputSampleIterator input(InputsOf(files), 8, length);
                const CReadResult read = ReadInRuns(input, runs);
                EXPECT_TRUE(read.good);
                EXPECT_EQ(read.samples, expected.samples);
            }
        }
    }
}

TEST(VexaFileInput, LongRunsDecodeWhatFramesDecodeAtEveryWidthAndSpacing) {
    // Runs that span several of the file blocks, decoded a block's frames at a time, in every
    // frame width, as one stream or into every other place as the stereo export reads.
    std::mt19937 rng(19);
    constexpr std::size_t kLength = 3 * CVexaFileInputSampleIterator::kBlockBytes + 37;
    const std::vector<Samples> source{MakeChannel(rng, kLength), MakeChannel(rng, kLength)};
    for (int n = 4; n <= 8; ++n) {
        SCOPED_TRACE(testing::Message() << "N = " << n);
        const std::vector<Bytes> files{EncodeDirectly(n, source[0]), EncodeDirectly(n, source[1])};
        const Samples left = DecodeDirectly(n, files[0], kLength);
        const Samples expected = Interleave({left, DecodeDirectly(n, files[1], kLength)});

        CVexaFileInputSampleIterator stereo(InputsOf(files), n, static_cast<std::int32_t>(kLength));
        Samples read(expected.size());
        EXPECT_EQ(stereo.Read(read.data(), read.size()), read.size());
        EXPECT_TRUE(stereo.IsGood());
        EXPECT_EQ(read, expected);

        CVexaFileInputSampleIterator mono(InputsOf({files[0]}), n,
                                          static_cast<std::int32_t>(kLength));
        Samples spaced(2 * kLength, 7);
        EXPECT_EQ(mono.ReadSpaced(spaced.data(), kLength, 2), kLength);
        EXPECT_TRUE(mono.IsGood());
        for (std::size_t i = 0; i < kLength; ++i) {
            ASSERT_EQ(spaced[2 * i], left[i]) << i;
            ASSERT_EQ(spaced[2 * i + 1], 7) << i;
        }
    }
}

TEST(VexaFileInput, ARunStopsAtAShortFileAndAfterASeek) {
    std::mt19937 rng(18);
    const std::vector<Samples> channels{MakeChannel(rng, 80), MakeChannel(rng, 80)};
    const Bytes left = EncodeDirectly(8, channels[0]);
    const Bytes right = EncodeDirectly(8, channels[1]).substr(0, 48);
    CVexaFileInputSampleIterator input(InputsOf({left, right}), 8, 80);
    Samples run(1000);
    // Three whole frames of both channels, then the right file has no frame left.
    EXPECT_EQ(input.Read(run.data(), run.size()), 96u);
    EXPECT_FALSE(input.IsGood());
    EXPECT_EQ(Samples(run.begin(), run.begin() + 96),
              Interleave({DecodeDirectly(8, left, 48), DecodeDirectly(8, right, 48)}));
    EXPECT_EQ(input.Read(run.data(), run.size()), 0u);

    const Bytes whole = EncodeDirectly(8, channels[1]);
    CVexaFileInputSampleIterator seeking(InputsOf({left, whole}), 8, 80);
    const Samples expected =
        Interleave({DecodeDirectly(8, left, 80), DecodeDirectly(8, whole, 80)});
    seeking.Seek(37);
    EXPECT_EQ(seeking.Read(run.data(), 10), 10u);
    EXPECT_EQ(Samples(run.begin(), run.begin() + 10),
              Samples(expected.begin() + 74, expected.begin() + 84));
    EXPECT_EQ(seeking.GetPosition(), 42);
}

TEST(VexaFileInput, PositionCountsSampleFrames) {
    const std::vector<Bytes> files(2, Bytes(64, '\0'));
    CVexaFileInputSampleIterator input(InputsOf(files), 8, 32);
    EXPECT_EQ(input.GetPosition(), 0);
    input.Advance(); // the right sample of frame 0
    EXPECT_EQ(input.GetPosition(), 0);
    input.Advance();
    EXPECT_EQ(input.GetPosition(), 1);
}

TEST(VexaFileInput, UnusableSetupsAreNeitherGoodNorValid) {
    auto stream = std::make_shared<std::istringstream>(Bytes(32, '\0'));
    std::vector<std::unique_ptr<CVexaFileInputSampleIterator>> inputs;
    inputs.push_back(std::make_unique<CVexaFileInputSampleIterator>(Inputs{}, 8, 16));
    inputs.push_back(
        std::make_unique<CVexaFileInputSampleIterator>(Inputs{stream, nullptr}, 8, 16));
    inputs.push_back(std::make_unique<CVexaFileInputSampleIterator>(Inputs{stream}, 3, 16));
    inputs.push_back(std::make_unique<CVexaFileInputSampleIterator>(Inputs{stream}, 9, 16));
    inputs.push_back(std::make_unique<CVexaFileInputSampleIterator>(Inputs{stream}, 8, 16, -1));
    for (auto& input : inputs) {
        EXPECT_FALSE(input->IsValid());
        EXPECT_FALSE(input->IsGood());
        EXPECT_EQ(input->GetValue(), 0);
        EXPECT_EQ(input->GetPosition(), 0);
        input->Advance();
        input->Seek(3);
        EXPECT_FALSE(input->IsValid());
        EXPECT_EQ(input->GetValue(), 0);
    }
}

} // namespace
