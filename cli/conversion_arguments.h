#pragma once

#include "sl/convert/sound_file_converter.h"

#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace ZQ3 {

// The options of the commands that convert: --mono and --normalize[=DB].
struct ConversionArguments {
    bool mono = false;
    // The --normalize flag's value: empty when not given, "default" when given bare.
    std::string normalize;

    void addTo(CLI::App& command);
    // The options asked for, or nothing when --normalize names no level at or below 0 dBFS
    // (problem says so).
    std::optional<SL::CConversionOptions> options(std::string& problem) const;
};

} // namespace ZQ3
