#pragma once

#include "sl/codec/card_sound_format.h"

#include <cstdint>

namespace ZQ3 {

// One slot of the card as the application keeps it: the fields of a sample-information record,
// widened. Fields the converter does not interpret are carried unchanged.
struct SampleEntry {
    std::int32_t rangeBegin = 0;
    std::int32_t rangeEnd = 0;
    // Frames per channel in the slot's channel files; 0 means the slot is empty.
    std::int32_t frameCount = 0;
    // 1 marks a lo-fi sample; any other value an ordinary one.
    std::int32_t lofi = 0;
    bool stereo = false;
    std::int32_t option14 = 0;
    bool flag15 = false;
    bool flag16 = false;
    std::int32_t option17 = 127;
    // Tenths of a beat per minute.
    std::int32_t tempo = 1020;
    std::int32_t option20 = 0;
    std::int32_t tempo2 = 1020;

    bool isEmpty() const { return frameCount == 0; }
    bool isLofi() const { return lofi == 1; }
    int channelCount() const { return stereo ? 2 : 1; }
    // Frames per channel the sample plays and exports: a lo-fi sample stores half of them.
    std::int64_t playedFrames() const {
        // Frame counts come from the card and are at most 32 bits wide; read them as unsigned.
        const std::int64_t stored = static_cast<std::uint32_t>(frameCount);
        return isLofi() ? 2 * stored : stored;
    }
    double playedSeconds() const {
        return static_cast<double>(playedFrames()) / SL::CCardSoundFormat::kSampleRate;
    }

    friend bool operator==(const SampleEntry&, const SampleEntry&) = default;
};

} // namespace ZQ3
