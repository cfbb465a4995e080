#include "sl/convert/sound_processing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace SL {
namespace {

TEST(SoundProcessing, TimesReadInEveryFormTheHelpNames) {
    EXPECT_DOUBLE_EQ(ParseTimeSeconds("1.5").value(), 1.5);
    EXPECT_DOUBLE_EQ(ParseTimeSeconds("1.5s").value(), 1.5);
    EXPECT_DOUBLE_EQ(ParseTimeSeconds("250ms").value(), 0.25);
    EXPECT_DOUBLE_EQ(ParseTimeSeconds("1:02.5").value(), 62.5);
    for (const char* wrong : {"", "-1", "1:75", "1.5.2", "abc", "1.5m", "1e3", ":5", "99999"}) {
        EXPECT_FALSE(ParseTimeSeconds(wrong)) << wrong;
    }
}

TEST(SoundProcessing, TheTrimKeepsTheLeadBeforeTheFirstLoudFrameAndPaddingFillsUp) {
    CSoundProcessing processing;
    processing.trimThresholdDb = -60.0;
    processing.padToMinimum = true;
    const CKeptSpan span = PlanKeptSpan(processing, 1000, 500, 600);
    EXPECT_EQ(span.begin, 500 - CardFrames(CSoundProcessing::kTrimLeadSeconds));
    EXPECT_EQ(span.end, 600);
    EXPECT_EQ(span.totalFrames(), ShortestCardFrames());
    EXPECT_GE(double(ShortestCardFrames()) / 44100.0, 0.07);
    EXPECT_LT(double(ShortestCardFrames() - 1) / 44100.0, 0.07);
    // Nothing loud: nothing kept, but padding.
    EXPECT_EQ(PlanKeptSpan(processing, 1000, std::nullopt, 0).keptFrames(), 0);
}

// Decaying 180 Hz hits at known frames, with silence between them.
std::vector<float> Hits(const std::vector<std::int64_t>& starts, std::int64_t length) {
    std::vector<float> samples(static_cast<std::size_t>(length), 0.0f);
    for (const std::int64_t start : starts) {
        for (std::int64_t i = 0; i < 8820 && start + i < length; ++i) {
            samples[static_cast<std::size_t>(start + i)] += static_cast<float>(
                0.8 * std::exp(-double(i) / 1323.0) * std::sin(2 * M_PI * 180 * double(i) / 44100));
        }
    }
    return samples;
}

TEST(SoundProcessing, OnsetsLieWithinAFewMillisecondsOfTheHits) {
    const std::vector<std::int64_t> starts = {4410, 24255, 39690, 71442};
    const std::vector<float> samples = Hits(starts, 88200);
    COnsetDetector detector(44100, 10.5);
    // Fed in uneven blocks, as a file is read.
    for (std::size_t at = 0; at < samples.size(); at += 1000) {
        detector.feed(samples.data() + at, std::min<std::size_t>(1000, samples.size() - at));
    }
    ASSERT_EQ(detector.onsets().size(), starts.size());
    for (std::size_t i = 0; i < starts.size(); ++i) {
        EXPECT_NEAR(double(detector.onsets()[i].frame), double(starts[i]), 441.0);
    }
    // A crossing is looked for before an onset only when asked: the hit's start is not cut.
    const auto crossing = NearestZeroCrossing(samples, 0, starts[1] + 30, 88, false);
    ASSERT_TRUE(crossing);
    EXPECT_LE(*crossing, starts[1] + 30);
    EXPECT_LE(std::fabs(samples[static_cast<std::size_t>(*crossing)]), 0.01f);
}

} // namespace
} // namespace SL
