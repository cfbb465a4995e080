// The two-thread stereo writer of import: the same bytes as the card's own stereo writer at every
// run size and length, the same room below a byte limit, and a failing file or a cancelled copy
// stops it cleanly. Runs under ThreadSanitizer.

#include "app/channel_pair_writer.h"
#include "app/sample_copy.h"
#include "tests/support/refusing_stream.h"
#include "tests/support/silent_progress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace ZQ3 {
namespace {

using Writer = SL::CVexaFileOutputSampleIterator;
using Samples = std::vector<std::int16_t>;

constexpr int kBits = Writer::kCardBitsPerSample;
// More chunks than the writer has, so that the last, partial one reuses a chunk buffer; it ends
// with a partial codec frame.
constexpr std::size_t kFrames = 5 * CChannelPairWriter::kChunkFrames + 1237;

// A tone on the left and noise on the right, interleaved; count samples in all.
Samples StereoSound(std::size_t count) {
    Samples samples(count);
    std::mt19937 random(11);
    std::uniform_int_distribution<int> noise(-20000, 20000);
    for (std::size_t i = 0; i < count; ++i) {
        samples[i] =
            static_cast<std::int16_t>(i % 2 == 0 ? int(i * 37 % 30000) - 15000 : noise(random));
    }
    return samples;
}

std::shared_ptr<Writer> MonoWriter(std::shared_ptr<std::ostream> stream,
                                   std::int64_t byteLimit = Writer::kCardByteLimit) {
    return std::make_shared<Writer>(std::vector<std::shared_ptr<std::ostream>>{std::move(stream)},
                                    kBits, 0, byteLimit);
}

// What the card's stereo writer leaves in the two files, and how many samples it took.
struct Files {
    std::string left, right;
    std::size_t taken = 0;
};

Files WrittenByStereoWriter(const Samples& samples,
                            std::int64_t byteLimit = Writer::kCardByteLimit) {
    auto left = std::make_shared<std::stringstream>();
    auto right = std::make_shared<std::stringstream>();
    Writer writer({left, right}, kBits, 0, byteLimit);
    const std::size_t taken = writer.Write(samples.data(), samples.size());
    EXPECT_TRUE(writer.Finish());
    return {left->str(), right->str(), taken};
}

// Writes samples through a pair writer in runs of `run`.
Files WrittenByPairWriter(const Samples& samples, std::size_t run,
                          std::int64_t byteLimit = Writer::kCardByteLimit) {
    auto left = std::make_shared<std::stringstream>();
    auto right = std::make_shared<std::stringstream>();
    CChannelPairWriter pair(MonoWriter(left, byteLimit), MonoWriter(right, byteLimit));
    EXPECT_TRUE(pair.IsValid());
    std::size_t taken = 0;
    while (taken < samples.size() && pair.IsValid()) {
        taken += pair.Write(samples.data() + taken, std::min(run, samples.size() - taken));
    }
    EXPECT_TRUE(pair.Finish());
    return {left->str(), right->str(), taken};
}

TEST(ChannelPairWriter, WritesTheBytesOfTheStereoWriter) {
    const Samples sound = StereoSound(2 * kFrames);
    const Files expected = WrittenByStereoWriter(sound);
    // Odd runs cross chunk boundaries mid-frame; a run larger than a chunk spans several.
    for (std::size_t run :
         {std::size_t{1}, std::size_t{4097}, 3 * CChannelPairWriter::kChunkFrames}) {
        const Files got = WrittenByPairWriter(sound, run);
        EXPECT_EQ(got.taken, sound.size()) << run;
        EXPECT_TRUE(got.left == expected.left && got.right == expected.right) << run;
    }
    // A stream that ends on a left sample: its right partner is silence, as in the stereo
    // writer's padded last frame.
    const Samples odd(sound.begin(), sound.end() - 1);
    const Files oddExpected = WrittenByStereoWriter(odd);
    const Files oddGot = WrittenByPairWriter(odd, 4096);
    EXPECT_TRUE(oddGot.left == oddExpected.left && oddGot.right == oddExpected.right);
}

TEST(ChannelPairWriter, StopsAtTheByteLimitWhereTheStereoWriterDoes) {
    // Room for 100 codec frames per file, less than one chunk; then room for a chunk and a bit.
    for (std::int64_t frames : {std::int64_t{100}, std::int64_t{4200}}) {
        const std::int64_t byteLimit = frames * 2 * kBits;
        const Samples sound = StereoSound(2 * kFrames);
        const Files expected = WrittenByStereoWriter(sound, byteLimit);
        ASSERT_EQ(expected.taken, static_cast<std::size_t>(frames * 32));
        const Files got = WrittenByPairWriter(sound, 4097, byteLimit);
        EXPECT_EQ(got.taken, expected.taken);
        EXPECT_TRUE(got.left == expected.left && got.right == expected.right) << frames;
    }
}

// Hands out interleaved samples in runs, as the plain file reader does.
class CSampleSource {
public:
    explicit CSampleSource(Samples samples) : samples_(std::move(samples)) {}
    bool IsValid() const { return next_ < samples_.size(); }
    bool IsGood() const { return true; }
    std::int16_t GetValue() const { return samples_[next_]; }
    std::size_t Read(std::int16_t* out, std::size_t count) {
        const std::size_t run = std::min(count, samples_.size() - next_);
        std::copy_n(samples_.begin() + static_cast<std::ptrdiff_t>(next_), run, out);
        next_ += run;
        return run;
    }

private:
    Samples samples_;
    std::size_t next_ = 0;
};

TEST(ChannelPairWriter, AFailingFileOrACancelStopsTheCopy) {
    const Samples sound = StereoSound(2 * kFrames);
    UL::CSilentProgress progress;
    // A disk that fills up in the second chunk, under either channel.
    for (bool rightFails : {false, true}) {
        std::shared_ptr<std::ostream> good = std::make_shared<std::stringstream>();
        std::shared_ptr<std::ostream> full = std::make_shared<Fixture::CRefusingStream>(100000);
        CChannelPairWriter pair(MonoWriter(rightFails ? good : full),
                                MonoWriter(rightFails ? full : good));
        CSampleSource source(sound);
        const SampleCopyResult copied = CopySampleRuns(source, pair, progress);
        EXPECT_TRUE(copied == SampleCopyResult::Failed || !pair.Finish()) << rightFails;
        EXPECT_FALSE(pair.IsGood()) << rightFails;
        EXPECT_FALSE(pair.Finish()) << rightFails;
    }

    UL::CSilentProgress cancelling;
    cancelling.setCancellable(true);
    cancelling.pressCancelAtQuery(40);
    auto left = std::make_shared<std::stringstream>();
    auto right = std::make_shared<std::stringstream>();
    {
        CChannelPairWriter pair(MonoWriter(left), MonoWriter(right));
        CSampleSource source(sound);
        EXPECT_EQ(CopySampleRuns(source, pair, cancelling), SampleCopyResult::Cancelled);
        // Leaving the scope stops the worker, which may still have chunks to code.
    }
    EXPECT_LT(right->str().size(), WrittenByStereoWriter(sound).right.size());
}

} // namespace
} // namespace ZQ3
