#include "sl/convert/channel_mixer.h"

#include <cmath>

namespace SL {

CChannelMixer::CChannelMixer(int inputChannels, bool mono)
    : inputChannels_(inputChannels), mono_(mono) {
    const auto count = static_cast<std::size_t>(inputChannels < 1 ? 0 : inputChannels);
    leftGain_.assign(count, 0.0f);
    rightGain_.assign(count, 0.0f);
    if (count == 1) {
        leftGain_[0] = rightGain_[0] = 1.0f;
        return;
    }
    if (count == 2) {
        leftGain_[0] = rightGain_[1] = 1.0f;
        return;
    }
    const bool sharedLast = count % 2 == 1;
    const std::size_t paired = sharedLast ? count - 1 : count;
    const double centre = std::sqrt(0.5);
    // Per side: paired / 2 channels at gain 1 and maybe one at sqrt(1/2), before the scaling.
    const double power = static_cast<double>(paired / 2) + (sharedLast ? 0.5 : 0.0);
    const double scale = 1.0 / std::sqrt(power);
    for (std::size_t channel = 0; channel < paired; ++channel) {
        (channel % 2 == 0 ? leftGain_ : rightGain_)[channel] = static_cast<float>(scale);
    }
    if (sharedLast) {
        leftGain_[count - 1] = rightGain_[count - 1] = static_cast<float>(scale * centre);
    }
}

void CChannelMixer::mix(const float* input, std::size_t frameCount, float* output) const {
    const auto channels = static_cast<std::size_t>(inputChannels_);
    for (std::size_t frame = 0; frame < frameCount; ++frame) {
        const float* in = input + frame * channels;
        float left = 0;
        float right = 0;
        if (channels == 1) {
            left = right = in[0];
        } else if (channels == 2) {
            left = in[0];
            right = in[1];
        } else {
            for (std::size_t channel = 0; channel < channels; ++channel) {
                left += leftGain_[channel] * in[channel];
                right += rightGain_[channel] * in[channel];
            }
        }
        if (mono_) {
            output[frame] = channels == 1 ? left : 0.5f * (left + right);
        } else if (channels == 1) {
            output[frame] = left;
        } else {
            output[2 * frame] = left;
            output[2 * frame + 1] = right;
        }
    }
}

} // namespace SL
