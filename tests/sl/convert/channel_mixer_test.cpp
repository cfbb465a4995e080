#include "sl/convert/channel_mixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace SL {
namespace {

// The left and right gains of each input channel, found by feeding it alone at full scale.
std::vector<std::pair<float, float>> Gains(int channels) {
    const CChannelMixer mixer(channels, false);
    std::vector<std::pair<float, float>> gains;
    for (int probe = 0; probe < channels; ++probe) {
        std::vector<float> frame(static_cast<std::size_t>(channels), 0.0f);
        frame[static_cast<std::size_t>(probe)] = 1.0f;
        float out[2] = {};
        mixer.mix(frame.data(), 1, out);
        gains.emplace_back(out[0], out[1]);
    }
    return gains;
}

TEST(ChannelMixer, ManyChannelsBecomeStereoAtEqualPower) {
    for (int channels = 3; channels <= 8; ++channels) {
        SCOPED_TRACE(channels);
        EXPECT_EQ(CChannelMixer(channels, false).outputChannels(), 2);
        const auto gains = Gains(channels);
        double left = 0;
        double right = 0;
        for (const auto& [l, r] : gains) {
            left += double(l) * l;
            right += double(r) * r;
            EXPECT_LE(l, 1.0f);
            EXPECT_LE(r, 1.0f);
        }
        EXPECT_NEAR(left, 1.0, 1e-6);
        EXPECT_NEAR(right, 1.0, 1e-6);
        // Even channels left, odd right; an odd last one in the middle, 3 dB down.
        EXPECT_GT(gains[0].first, 0.0f);
        EXPECT_EQ(gains[0].second, 0.0f);
        EXPECT_EQ(gains[1].first, 0.0f);
        EXPECT_GT(gains[1].second, 0.0f);
        if (channels % 2 == 1) {
            const auto& last = gains.back();
            EXPECT_FLOAT_EQ(last.first, last.second);
            EXPECT_NEAR(last.first / gains[0].first, std::sqrt(0.5), 1e-6);
        }
    }
}

TEST(ChannelMixer, MonoIsTheMeanOfTheSidesAndStereoPasses) {
    const CChannelMixer mono(2, true);
    EXPECT_EQ(mono.outputChannels(), 1);
    const float frames[] = {0.5f, -0.5f, 0.25f, 0.25f, 1.0f, 0.0f};
    float out[3] = {};
    mono.mix(frames, 3, out);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[1], 0.25f);
    EXPECT_EQ(out[2], 0.5f);

    const CChannelMixer stereo(2, false);
    float copied[6] = {};
    stereo.mix(frames, 3, copied);
    EXPECT_EQ(std::vector<float>(copied, copied + 6), std::vector<float>(frames, frames + 6));
}

} // namespace
} // namespace SL
