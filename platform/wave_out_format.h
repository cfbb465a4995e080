#pragma once

#include <cstdint>

namespace SL {

// The PCM layout of an output stream, as the sound card is asked for it.
struct CWaveOutFormat {
    static constexpr std::uint16_t Pcm = 1;
    static constexpr std::uint16_t IeeeFloat = 3;

    std::uint16_t formatTag = Pcm;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSecond = 0;
    std::uint32_t averageBytesPerSecond = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t extraSize = 0;

    // Integer PCM of 8, 16, 24 or 32 bits or floating point of 32 or 64 bits, with the block
    // size and byte rate that its channels and rate imply.
    bool IsPlayable() const;
};

} // namespace SL
