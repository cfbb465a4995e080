#pragma once

namespace SL {

// The one shape of sound the sampler's card holds: what its codec reads and writes, what the
// converter turns other files into, and what an import holds a file to. 16-bit integer samples
// at 44100 Hz, one or two channels, at least 70 ms long.
struct CCardSoundFormat {
    static constexpr int kSampleRate = 44100;
    static constexpr int kBitsPerSample = 16;
    static constexpr int kMinChannels = 1;
    static constexpr int kMaxChannels = 2;
    // Measured at a file's own rate: that is how long it sounds.
    static constexpr double kShortestSeconds = 0.07;
};

} // namespace SL
