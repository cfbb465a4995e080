#include "app/pad_sample_text.h"

#include "app/localized_text.h"
#include "card/card_layout.h"

#include <cstdio>

namespace ZQ3 {

std::string SampleLengthText(const SampleEntry& entry) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", entry.playedSeconds());
    const std::string channels = entry.stereo ? Localized("stereo") : Localized("mono");
    return Localized("{0} s, {1}", {seconds, channels});
}

std::string PadSampleText(int slot, const SampleEntry& entry) {
    return Localized("{0}: {1}", {CardLayout::PadName(slot), SampleLengthText(entry)});
}

} // namespace ZQ3
