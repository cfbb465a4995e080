#pragma once

#include "card/sample_entry.h"

#include <string>

namespace ZQ3 {

// "0.42 s, stereo": the length and channels of a pad's sample, in the catalogue's language, as
// both front ends show it beside the pad.
std::string SampleLengthText(const SampleEntry& entry);

// "E4: 0.42 s, stereo": the pad at slot and its sample, as the questions about the pad name it.
std::string PadSampleText(int slot, const SampleEntry& entry);

} // namespace ZQ3
