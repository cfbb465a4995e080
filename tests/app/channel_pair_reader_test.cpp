// The two-thread stereo reader of export: the same samples as the card's own stereo reader at
// every run size, and a channel that fails or a reader dropped part way stops it cleanly. Runs
// under ThreadSanitizer.

#include "app/channel_pair_reader.h"
#include "sl/codec/vexa_file_output_sample_iterator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace ZQ3 {
namespace {

constexpr int kBits = SL::CVexaFileOutputSampleIterator::kCardBitsPerSample;
// Runs of many codec frames, with a partial codec frame at the end.
constexpr std::int32_t kFrames = 3 * 65536 + 1237;

// The two channel files of a stereo sample: a tone on the left, noise on the right.
std::vector<std::string> EncodeStereo() {
    auto left = std::make_shared<std::stringstream>();
    auto right = std::make_shared<std::stringstream>();
    {
        SL::CVexaFileOutputSampleIterator encoder({left, right}, kBits);
        std::mt19937 random(7);
        std::uniform_int_distribution<int> noise(-20000, 20000);
        for (std::int32_t i = 0; i < kFrames; ++i) {
            encoder.SetValue(static_cast<std::int16_t>((i * 37) % 30000 - 15000));
            encoder.Advance();
            encoder.SetValue(static_cast<std::int16_t>(noise(random)));
            encoder.Advance();
        }
        EXPECT_TRUE(encoder.Finish());
    }
    return {left->str(), right->str()};
}

std::shared_ptr<std::istream> StreamOf(const std::string& bytes) {
    return std::make_shared<std::istringstream>(bytes);
}

std::shared_ptr<SL::CVexaFileInputSampleIterator> Channel(const std::string& bytes,
                                                          std::int32_t length = kFrames) {
    return std::make_shared<SL::CVexaFileInputSampleIterator>(
        std::vector<std::shared_ptr<std::istream>>{StreamOf(bytes)}, kBits, length);
}

class ChannelPairReader : public testing::Test {
protected:
    static void SetUpTestSuite() { files_ = EncodeStereo(); }
    static std::vector<std::string> files_;
};
std::vector<std::string> ChannelPairReader::files_;

TEST_F(ChannelPairReader, DeliversTheSamplesOfTheStereoReaderAtAnyRunSize) {
    SL::CVexaFileInputSampleIterator stereo({StreamOf(files_[0]), StreamOf(files_[1])}, kBits,
                                            kFrames);
    std::vector<std::int16_t> expected(2 * std::size_t{kFrames});
    ASSERT_EQ(stereo.Read(expected.data(), expected.size()), expected.size());
    ASSERT_TRUE(stereo.IsGood());

    // Runs that end mid codec frame, and runs longer than what is left.
    for (std::size_t run : {std::size_t{33}, std::size_t{4099}, std::size_t{1} << 20}) {
        CChannelPairReader pair(Channel(files_[0]), Channel(files_[1]));
        std::vector<std::int16_t> got(expected.size() + 6, 0x7777);
        std::size_t frames = 0;
        while (pair.IsValid()) {
            const std::size_t wanted = std::min(run, got.size() / 2 - frames);
            frames += pair.ReadFrames(got.data() + 2 * frames, wanted);
        }
        EXPECT_TRUE(pair.IsGood()) << run;
        EXPECT_EQ(pair.ReadFrames(got.data(), 1), 0U) << run;
        ASSERT_EQ(frames, std::size_t{kFrames}) << run;
        EXPECT_EQ(got,
                  [&] {
                      std::vector<std::int16_t> padded = expected;
                      padded.resize(got.size(), 0x7777);
                      return padded;
                  }())
            << "nothing is written past the frames read, run " << run;
    }
}

TEST_F(ChannelPairReader, AChannelThatEndsEarlyFailsTheRunWhereItShows) {
    const std::string cut0 = files_[0].substr(0, files_[0].size() * 2 / 5);
    const std::string cut1 = files_[1].substr(0, files_[1].size() * 2 / 5);
    for (const auto& [left, right] : {std::pair{cut0, files_[1]}, std::pair{files_[0], cut1}}) {
        CChannelPairReader pair(Channel(left), Channel(right));
        std::vector<std::int16_t> sink(2 * std::size_t{kFrames});
        EXPECT_EQ(pair.ReadFrames(sink.data(), 65536), 65536U);
        EXPECT_TRUE(pair.IsGood());
        EXPECT_LT(pair.ReadFrames(sink.data(), kFrames), std::size_t{kFrames} - 65536);
        EXPECT_FALSE(pair.IsGood());
        EXPECT_FALSE(pair.IsValid());
        EXPECT_EQ(pair.ReadFrames(sink.data(), 16), 0U);
    }
    // Channels of different lengths never start.
    CChannelPairReader uneven(Channel(files_[0]), Channel(files_[1], kFrames - 1));
    EXPECT_FALSE(uneven.IsValid());
    EXPECT_FALSE(uneven.IsGood());
}

TEST_F(ChannelPairReader, AReaderDroppedPartWayStopsItsThread) {
    std::vector<std::int16_t> sink(2 * std::size_t{kFrames});
    for (std::size_t runs = 0; runs < 3; ++runs) {
        CChannelPairReader pair(Channel(files_[0]), Channel(files_[1]));
        for (std::size_t run = 0; run < runs; ++run) {
            EXPECT_EQ(pair.ReadFrames(sink.data(), 4096), 4096U);
        }
        EXPECT_TRUE(pair.IsValid());
        // Leaving the scope joins the worker, whether it has run or not.
    }
}

} // namespace
} // namespace ZQ3
