#include "card/tempo.h"

#include <gtest/gtest.h>

namespace ZQ3 {
namespace {

TEST(Tempo, OneBarAtExactly120Bpm) {
    EXPECT_EQ(TempoForFrameCount(88200), 1200u);
}

TEST(Tempo, TieBetweenTwoBarCountsKeepsTheEarlier) {
    EXPECT_EQ(TempoForFrameCount(132300), 800u);
}

TEST(Tempo, ShortSampleKeepsTheLastPlausibleTempo) {
    // The next candidate, 2143, is above 200 BPM.
    EXPECT_EQ(TempoForFrameCount(3087), 1071u);
}

TEST(Tempo, LongSamplePicksTheNearestBarCount) {
    EXPECT_EQ(TempoForFrameCount(100000), 1058u);
}

TEST(Tempo, HalfABarAndTwoBars) {
    // Half a bar at 120 BPM: one beat spans 22050 frames, so 2 beats at 1200.
    EXPECT_EQ(TempoForFrameCount(44100), 1200u);
    // Two bars at 120 BPM read as one bar at 60 BPM or two bars at 120 BPM: 1200 is exact.
    EXPECT_EQ(TempoForFrameCount(176400), 1200u);
}

TEST(Tempo, ExtremeLengthsEndWithoutFault) {
    EXPECT_EQ(TempoForFrameCount(0), 1020u);
    EXPECT_GT(TempoForFrameCount(1), 0u);
    // Very long samples take the halving path of the span formula.
    const auto longest = TempoForFrameCount(0xFFFFFFF0u);
    EXPECT_GT(longest, 0u);
    EXPECT_LT(longest, 1200u);
}

TEST(Tempo, StaysNearTargetForImportableLengths) {
    // Every importable length from 70 ms to a few minutes lands within a factor of two of
    // 120 BPM, except very short ones that keep the last tempo below 200 BPM.
    for (std::uint32_t frames = 3087; frames < 20'000'000; frames = frames * 5 / 4 + 7) {
        const auto tempo = TempoForFrameCount(frames);
        EXPECT_GE(tempo, 600u) << frames;
        EXPECT_LE(tempo, 2000u) << frames;
    }
}

} // namespace
} // namespace ZQ3
