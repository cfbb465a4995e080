#include "cli/sample_description.h"

#include "app/localized_text.h"
#include "app/pad_sample_text.h"

namespace ZQ3 {

std::string SampleDescription(const SampleEntry& entry) {
    return Localized("({0})", {SampleLengthText(entry)});
}

} // namespace ZQ3
