#pragma once

#include <cstdint>

namespace SL {

// The shapes of sound the converter takes at all. A file's header is only a claim: a file of a
// few kilobytes may announce 1 Hz, 4294967295 Hz or 65535 channels, and buffers, resamplers,
// ring buffers and converted files are sized from such claims. Every reader holds a header to
// these bounds before anything is sized from it, so that memory stays small and time follows
// the file's real size whatever the header says.
struct CSoundBounds {
    static constexpr double kMinSampleRate = 1000.0;
    static constexpr double kMaxSampleRate = 768000.0;
    static constexpr int kMaxChannels = 32;
    // The longest sound taken, at any rate: six hours.
    static constexpr double kMaxSeconds = 6.0 * 3600.0;
};

// Which bound a sound lies outside, the first one found in this order.
enum class CSoundBound {
    None,
    SampleRate,
    ChannelCount,
    Length,
};

// A sound's claimed shape and the bound it lies outside, if any.
struct CSoundBoundsCheck {
    CSoundBound exceeded = CSoundBound::None;
    double sampleRate = 0;
    std::int64_t channelCount = 0;
    // frameCount / sampleRate: the same at the card's rate after conversion.
    double seconds = 0;

    bool withinBounds() const { return exceeded == CSoundBound::None; }
};

CSoundBoundsCheck CheckSoundBounds(double sampleRate, std::int64_t channelCount,
                                   std::int64_t frameCount);

} // namespace SL
