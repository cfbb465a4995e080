#pragma once

#include "sl/convert/sound_file_converter.h"

#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace ZQ3 {

class CCliContext;

// The options of the commands that convert: --mono and --normalize[=DB], and the processing
// between reading and encoding: --trim[=DB], --fade-in MS, --fade-out MS, --fade-shape
// linear|power, --pad, --start TIME, --end TIME.
struct SliceArguments {
    // "" when not given, a count of equal parts, or "onsets".
    std::string slices;
    int max = 0;
    std::string sensitivity;

    void addTo(CLI::App& command);
    // The slicing asked for: nothing when --slices was not given (then valid stays true), or
    // when a value is wrong (said through context; valid false).
    std::optional<SL::CSliceRequest> request(const CCliContext& context, bool& valid) const;
};

struct ConversionArguments {
    bool mono = false;
    // The --normalize flag's value: empty when not given, "default" when given bare.
    std::string normalize;
    // --trim's value: empty when not given, "default" when given bare.
    std::string trim;
    std::string fadeIn;
    std::string fadeOut;
    std::string fadeShape;
    bool pad = false;
    std::string start;
    std::string end;

    void addTo(CLI::App& command);
    // The options asked for, or nothing when a value is not one the option takes (said through
    // context, as a usage error).
    std::optional<SL::CConversionOptions> options(const CCliContext& context) const;
};

} // namespace ZQ3
