#include "sl/model/sound_bounds.h"

namespace SL {

CSoundBoundsCheck CheckSoundBounds(double sampleRate, std::int64_t channelCount,
                                   std::int64_t frameCount) {
    CSoundBoundsCheck check;
    check.sampleRate = sampleRate;
    check.channelCount = channelCount;
    // Written so that NaN is out of bounds as well.
    if (!(sampleRate >= CSoundBounds::kMinSampleRate &&
          sampleRate <= CSoundBounds::kMaxSampleRate)) {
        check.exceeded = CSoundBound::SampleRate;
        return check;
    }
    check.seconds = static_cast<double>(frameCount) / sampleRate;
    if (channelCount < 1 || channelCount > CSoundBounds::kMaxChannels) {
        check.exceeded = CSoundBound::ChannelCount;
    } else if (frameCount < 0 || check.seconds > CSoundBounds::kMaxSeconds) {
        check.exceeded = CSoundBound::Length;
    }
    return check;
}

} // namespace SL
