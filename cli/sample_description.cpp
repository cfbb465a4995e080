#include "cli/sample_description.h"

#include "app/localized_text.h"

#include <cstdio>

namespace ZQ3 {

std::string SampleDescription(const SampleEntry& entry) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", entry.playedSeconds());
    const std::string channels = entry.stereo ? Localized("stereo") : Localized("mono");
    return Localized("({0} s, {1})", {seconds, channels});
}

} // namespace ZQ3
