// The two-thread stereo reader of export: the same samples as the card's own stereo reader at
// every run size, and a channel that fails or a copy that is cancelled part way stops it cleanly.
// Runs under ThreadSanitizer.

#include "app/channel_pair_reader.h"
#include "app/sample_copy.h"
#include "sl/codec/vexa_file_output_sample_iterator.h"
#include "tests/support/silent_progress.h"

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
// Several chunks and a partial one, with a partial codec frame at the end.
constexpr std::int32_t kFrames =
    3 * static_cast<std::int32_t>(CChannelPairReader::kChunkFrames) + 1237;

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

    // Odd runs cross chunk boundaries mid-frame; a run larger than a chunk spans several.
    for (std::size_t run :
         {std::size_t{1}, std::size_t{4097}, 3 * CChannelPairReader::kChunkFrames}) {
        CChannelPairReader pair(Channel(files_[0]), Channel(files_[1]));
        ASSERT_TRUE(pair.IsValid());
        EXPECT_EQ(pair.GetValue(), expected[0]);
        std::vector<std::int16_t> got(expected.size() + 5);
        std::size_t total = 0;
        while (pair.IsValid()) {
            const std::size_t wanted = std::min(run, got.size() - total);
            total += pair.Read(got.data() + total, wanted);
        }
        EXPECT_TRUE(pair.IsGood()) << run;
        ASSERT_EQ(total, expected.size()) << run;
        got.resize(total);
        EXPECT_EQ(got, expected) << run;
    }
}

TEST_F(ChannelPairReader, AChannelThatEndsEarlyFailsTheCopy) {
    // A file cut in the second chunk, on either side.
    const std::string cut0 = files_[0].substr(0, files_[0].size() * 2 / 5);
    const std::string cut1 = files_[1].substr(0, files_[1].size() * 2 / 5);
    for (const auto& [left, right] : {std::pair{cut0, files_[1]}, std::pair{files_[0], cut1}}) {
        CChannelPairReader pair(Channel(left), Channel(right));
        std::vector<std::int16_t> sink(2 * std::size_t{kFrames});
        const std::size_t read = pair.Read(sink.data(), sink.size());
        EXPECT_FALSE(pair.IsGood());
        EXPECT_FALSE(pair.IsValid());
        EXPECT_LT(read, sink.size());
        EXPECT_EQ(read % (2 * CChannelPairReader::kChunkFrames), 0U);
    }
    // Channels of different lengths never start.
    CChannelPairReader uneven(Channel(files_[0]), Channel(files_[1], kFrames - 1));
    EXPECT_FALSE(uneven.IsValid());
    EXPECT_FALSE(uneven.IsGood());
}

// Collects what a copy writes, in runs as the plain file writer takes them.
class CCollector {
public:
    bool IsValid() const { return true; }
    bool IsGood() const { return true; }
    std::int64_t Room() const { return 1 << 30; }
    std::size_t Write(const std::int16_t* values, std::size_t count) {
        samples_.insert(samples_.end(), values, values + count);
        return count;
    }
    std::size_t size() const { return samples_.size(); }

private:
    std::vector<std::int16_t> samples_;
};

TEST_F(ChannelPairReader, ACopyCancelledOrFailingMidwayStopsTheThread) {
    UL::CSilentProgress cancelling;
    cancelling.setCancellable(true);
    cancelling.pressCancelAtQuery(10);
    CCollector kept;
    {
        CChannelPairReader pair(Channel(files_[0]), Channel(files_[1]));
        EXPECT_EQ(CopySampleRuns(pair, kept, cancelling), SampleCopyResult::Cancelled);
        // Leaving the scope joins the worker while it still has chunks to decode.
    }
    EXPECT_EQ(kept.size(), 9 * std::size_t{kSamplesPerProgressStep});

    UL::CSilentProgress progress;
    CCollector partial;
    CChannelPairReader pair(Channel(files_[0]), Channel(files_[1].substr(0, files_[1].size() / 2)));
    EXPECT_EQ(CopySampleRuns(pair, partial, progress), SampleCopyResult::Failed);
    EXPECT_LT(partial.size(), 2 * std::size_t{kFrames});
}

} // namespace
} // namespace ZQ3
