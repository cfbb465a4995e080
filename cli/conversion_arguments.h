#pragma once

#include "sl/convert/sound_file_converter.h"

#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace ZQ3 {

class CCliContext;

// The options of the commands that convert: --mono and --normalize[=DB].
struct ConversionArguments {
    bool mono = false;
    // The --normalize flag's value: empty when not given, "default" when given bare.
    std::string normalize;

    void addTo(CLI::App& command);
    // The options asked for, or nothing when --normalize names no level at or below 0 dBFS
    // (said through context, as a usage error).
    std::optional<SL::CConversionOptions> options(const CCliContext& context) const;
};

} // namespace ZQ3
