#pragma once

#include "card/sample_entry.h"

#include <string>

namespace ZQ3 {

// "(0.30 s, stereo)": the length and channels of a pad's sample as the success lines show it,
// in the user's language.
std::string SampleDescription(const SampleEntry& entry);

} // namespace ZQ3
