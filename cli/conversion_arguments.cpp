#include "cli/conversion_arguments.h"

#include "app/localized_text.h"
#include "cli/cli_context.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdlib>
#include <tuple>

namespace ZQ3 {

void ConversionArguments::addTo(CLI::App& command) {
    command.add_flag("--mono", mono, "Mix stereo down to mono");
    command.add_flag("--normalize{default}", normalize,
                     "Scale the peak to DB dBFS (--normalize=DB, -0.3 when bare)");
    command.add_flag("--trim{default}", trim,
                     "Cut leading and trailing silence below DB dBFS (--trim=DB, -60 when bare)");
    command.add_option("--fade-in", fadeIn, "Fade in over MS milliseconds");
    command.add_option("--fade-out", fadeOut, "Fade out over MS milliseconds");
    command.add_option("--fade-shape", fadeShape, "linear (the default) or power (equal-power)");
    command.add_flag("--pad", pad, "Extend a sound shorter than 70 ms with silence to 70 ms");
    command.add_option("--start", start, "Take the sound from TIME on");
    command.add_option("--end", end, "Take the sound up to TIME");
}

namespace {

// A level in dBFS from -96 to 0, as --normalize and --trim take it.
std::optional<double> LevelDb(const std::string& text) {
    char* end = nullptr;
    const double level = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !std::isfinite(level) || level > 0.0 ||
        level < -96.0) {
        return std::nullopt;
    }
    return level;
}

// Milliseconds of a fade: a plain number from 0 to 60000.
std::optional<double> FadeSeconds(const std::string& text) {
    char* end = nullptr;
    const double milliseconds = std::strtod(text.c_str(), &end);
    if (text.empty() || end == text.c_str() || *end != '\0' || !(milliseconds >= 0.0) ||
        milliseconds > 60000.0) {
        return std::nullopt;
    }
    return milliseconds / 1000.0;
}

} // namespace

void SliceArguments::addTo(CLI::App& command) {
    command.add_option("--slices", slices, "N equal parts, or onsets: one slice per detected hit");
    command.add_option("--max", max, "With --slices onsets: keep at most N, the strongest");
    command.add_option("--sensitivity", sensitivity,
                       "With --slices onsets: 0 to 100 (default 50), higher finds softer hits");
}

std::optional<SL::CSliceRequest> SliceArguments::request(const CCliContext& context,
                                                         bool& valid) const {
    valid = true;
    if (slices.empty()) {
        if (max != 0 || !sensitivity.empty()) {
            valid = false;
            context.fail(Localized("--max and --sensitivity go with --slices onsets."));
        }
        return std::nullopt;
    }
    SL::CSliceRequest request;
    valid = false;
    if (slices == "onsets") {
        request.mode = SL::CSliceRequest::Mode::Onsets;
        request.count = max == 0 ? 128 : max;
        if (max < 0 || max > 128) {
            context.fail(Localized("--max: '{0}' is not a number of slices from 1 to 128.",
                                   {std::to_string(max)}));
            return std::nullopt;
        }
        if (!sensitivity.empty()) {
            char* end = nullptr;
            request.sensitivity = std::strtod(sensitivity.c_str(), &end);
            if (end == sensitivity.c_str() || *end != '\0' || !(request.sensitivity >= 0.0) ||
                request.sensitivity > 100.0) {
                context.fail(Localized("--sensitivity: '{0}' is not a number from 0 to 100.",
                                       {sensitivity}));
                return std::nullopt;
            }
        }
    } else {
        char* end = nullptr;
        const long count = std::strtol(slices.c_str(), &end, 10);
        if (end == slices.c_str() || *end != '\0' || count < 1 || count > 128 || max != 0 ||
            !sensitivity.empty()) {
            context.fail(Localized(
                "--slices: '{0}' is neither a number of equal slices from 1 to 128 nor onsets "
                "(--max and --sensitivity go with onsets only).",
                {slices}));
            return std::nullopt;
        }
        request.count = static_cast<int>(count);
    }
    valid = true;
    return request;
}

std::optional<SL::CConversionOptions>
ConversionArguments::options(const CCliContext& context) const {
    SL::CConversionOptions result;
    result.mono = mono;
    if (normalize == "default") {
        result.normalizePeakDb = SL::CConversionOptions::kDefaultPeakDb;
    } else if (!normalize.empty()) {
        const auto level = LevelDb(normalize);
        if (!level) {
            context.fail(
                Localized("--normalize: '{0}' is not a level from -96 to 0 dBFS.", {normalize}));
            return std::nullopt;
        }
        result.normalizePeakDb = level;
    }
    SL::CSoundProcessing& processing = result.processing;
    if (trim == "default") {
        processing.trimThresholdDb = SL::CSoundProcessing::kDefaultTrimDb;
    } else if (!trim.empty()) {
        processing.trimThresholdDb = LevelDb(trim);
        if (!processing.trimThresholdDb) {
            context.fail(Localized("--trim: '{0}' is not a level from -96 to 0 dBFS.", {trim}));
            return std::nullopt;
        }
    }
    for (const auto& [text, name, seconds] :
         {std::tuple{&fadeIn, "--fade-in", &processing.fadeInSeconds},
          std::tuple{&fadeOut, "--fade-out", &processing.fadeOutSeconds}}) {
        if (text->empty()) {
            continue;
        }
        const auto fade = FadeSeconds(*text);
        if (!fade) {
            context.fail(Localized("{0}: '{1}' is not a number of milliseconds from 0 to 60000.",
                                   {name, *text}));
            return std::nullopt;
        }
        *seconds = *fade;
    }
    if (fadeShape == "power") {
        processing.fadeShape = SL::FadeShape::EqualPower;
    } else if (!fadeShape.empty() && fadeShape != "linear") {
        context.fail(Localized("--fade-shape: '{0}' is neither linear nor power.", {fadeShape}));
        return std::nullopt;
    }
    processing.padToMinimum = pad;
    for (const auto& [text, name, seconds] :
         {std::tuple{&start, "--start", &processing.startSeconds},
          std::tuple{&end, "--end", &processing.endSeconds}}) {
        if (text->empty()) {
            continue;
        }
        *seconds = SL::ParseTimeSeconds(*text);
        if (!*seconds) {
            context.fail(Localized("{0}: '{1}' is not a time such as 1.5, 1.5s, 250ms or 1:02.5.",
                                   {name, *text}));
            return std::nullopt;
        }
    }
    if (processing.startSeconds && processing.endSeconds &&
        *processing.endSeconds <= *processing.startSeconds) {
        context.fail(Localized("--end must come after --start."));
        return std::nullopt;
    }
    return result;
}

} // namespace ZQ3
