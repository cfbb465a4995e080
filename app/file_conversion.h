#pragma once

#include "sl/convert/sound_file_converter.h"

#include <string>

namespace ZQ3 {

// The outcome of converting one file for the user to listen to before importing it.
struct FileConversionOutcome {
    bool done = false;
    // What went wrong, or on success what was made, in the catalogue's language.
    std::string text;
    SL::CConversionResult result;
};

// Converts the sound file at input to a new 16-bit 44100 Hz file at output, a WAV or AIFF file
// as the output's name ends (.wav, or .aif or .aiff, in any case). An existing output is never
// replaced, so that a mistyped name cannot cost a file.
FileConversionOutcome ConvertSoundFile(const std::string& input, const std::string& output,
                                       const SL::CConversionOptions& options);

} // namespace ZQ3
