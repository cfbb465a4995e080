#include "platform/wave_out_format.h"

namespace SL {

bool CWaveOutFormat::IsPlayable() const {
    const bool integer = formatTag == Pcm && (bitsPerSample == 8 || bitsPerSample == 16 ||
                                              bitsPerSample == 24 || bitsPerSample == 32);
    const bool floating = formatTag == IeeeFloat && (bitsPerSample == 32 || bitsPerSample == 64);
    if (!integer && !floating) {
        return false;
    }
    // Beyond a surround layout or a studio rate nothing real plays it; the limits also keep
    // every size product below inside 32 bits.
    if (channels < 1 || channels > 32 || samplesPerSecond < 1000 || samplesPerSecond > 768000) {
        return false;
    }
    const std::uint32_t frameBytes = std::uint32_t{channels} * (bitsPerSample / 8u);
    return blockAlign == frameBytes && averageBytesPerSecond == samplesPerSecond * frameBytes;
}

} // namespace SL
