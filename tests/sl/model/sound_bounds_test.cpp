#include "sl/model/sound_bounds.h"

#include <gtest/gtest.h>

#include <cmath>

namespace SL {
namespace {

TEST(SoundBounds, TakeTheirEdgesAndRefuseJustBeyondThem) {
    const std::int64_t sixHoursAtMin = 6 * 3600 * 1000;
    EXPECT_TRUE(CheckSoundBounds(1000, 1, sixHoursAtMin).withinBounds());
    EXPECT_TRUE(CheckSoundBounds(768000, 32, 0).withinBounds());

    EXPECT_EQ(CheckSoundBounds(999.9, 1, 10).exceeded, CSoundBound::SampleRate);
    EXPECT_EQ(CheckSoundBounds(768001, 1, 10).exceeded, CSoundBound::SampleRate);
    EXPECT_EQ(CheckSoundBounds(std::nan(""), 1, 10).exceeded, CSoundBound::SampleRate);
    EXPECT_EQ(CheckSoundBounds(44100, 0, 10).exceeded, CSoundBound::ChannelCount);
    EXPECT_EQ(CheckSoundBounds(44100, 33, 10).exceeded, CSoundBound::ChannelCount);
    const CSoundBoundsCheck tooLong = CheckSoundBounds(1000, 1, sixHoursAtMin + 1);
    EXPECT_EQ(tooLong.exceeded, CSoundBound::Length);
    EXPECT_GT(tooLong.seconds, CSoundBounds::kMaxSeconds);
}

} // namespace
} // namespace SL
