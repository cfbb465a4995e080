#include "cli/conversion_arguments.h"

#include "app/localized_text.h"
#include "cli/cli_context.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdlib>

namespace ZQ3 {

void ConversionArguments::addTo(CLI::App& command) {
    command.add_flag("--mono", mono, "Mix stereo down to mono");
    command.add_flag("--normalize{default}", normalize,
                     "Scale the peak to DB dBFS (--normalize=DB, -0.3 when bare)");
}

std::optional<SL::CConversionOptions>
ConversionArguments::options(const CCliContext& context) const {
    SL::CConversionOptions result;
    result.mono = mono;
    if (normalize == "default") {
        result.normalizePeakDb = SL::CConversionOptions::kDefaultPeakDb;
    } else if (!normalize.empty()) {
        char* end = nullptr;
        const double level = std::strtod(normalize.c_str(), &end);
        if (end == normalize.c_str() || *end != '\0' || !std::isfinite(level) || level > 0.0 ||
            level < -96.0) {
            context.fail(
                Localized("--normalize: '{0}' is not a level from -96 to 0 dBFS.", {normalize}));
            return std::nullopt;
        }
        result.normalizePeakDb = level;
    }
    return result;
}

} // namespace ZQ3
