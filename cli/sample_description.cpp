#include "cli/sample_description.h"

#include "app/localized_text.h"
#include "cli/pad_name.h"

#include <cstdio>

namespace ZQ3 {

double PlayedSeconds(const SampleEntry& entry) {
    constexpr double CardSampleRate = 44100.0;
    const double frames = static_cast<std::uint32_t>(entry.frameCount);
    return (entry.isLofi() ? 2 * frames : frames) / CardSampleRate;
}

std::string SampleDescription(const SampleEntry& entry) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", PlayedSeconds(entry));
    const std::string channels = entry.stereo ? Localized("stereo") : Localized("mono");
    return Localized("({0} s, {1})", {seconds, channels});
}

std::string SlotName(int slot) {
    return PadName(slot / 16, slot % 16);
}

} // namespace ZQ3
