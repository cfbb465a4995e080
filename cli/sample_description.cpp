#include "cli/sample_description.h"

#include "app/localized_text.h"

#include <cstdio>

namespace ZQ3 {

std::string SampleDescription(const SampleEntry& entry) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", entry.playedSeconds());
    const std::string channels =
        entry.stereo ? Localized("stereo", "ステレオ") : Localized("mono", "モノラル");
    return Localized("({0} s, {1})", "（{0} 秒、{1}）", {seconds, channels});
}

} // namespace ZQ3
