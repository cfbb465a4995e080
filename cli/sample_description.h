#pragma once

#include "card/sample_entry.h"

#include <string>

namespace ZQ3 {

// "(0.30 s, stereo)": the length and channels of a pad's sample as the success lines show it,
// in the user's language.
std::string SampleDescription(const SampleEntry& entry);
// Seconds that entry plays at the card's rate; a lo-fi sample plays twice the frames it stores.
double PlayedSeconds(const SampleEntry& entry);
// "D5": the name of a slot's pad.
std::string SlotName(int slot);

} // namespace ZQ3
