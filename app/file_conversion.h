#pragma once

#include "sl/convert/sound_file_converter.h"

#include <string>

namespace ZQ3 {

// The outcome of converting one file for the user to listen to before importing it.
struct FileConversionOutcome {
    bool done = false;
    // The output existed and was left alone, since replacing it was not asked for.
    bool outputExists = false;
    // What went wrong, or on success what was made, in the catalogue's language.
    std::string text;
    SL::CConversionResult result;
};

// What to do with a file already at the output's name.
enum class ExistingOutput {
    // Refuse before anything is converted, so that a mistyped name cannot cost a file.
    Keep,
    // Replace it, keeping its permissions, once the new file is complete.
    Replace,
};

// Converts the sound file at input to a 16-bit 44100 Hz file at output, an absolute path, a WAV
// or AIFF file as the output's name ends (.wav, or .aif or .aiff, in any case). The file is
// written under a temporary name beside the output and takes the output's name only when it is
// complete, so an interrupted or failed conversion leaves the output as it was. A new output gets
// the usual mode after the umask. progress is the converter's, asked whether to go on.
FileConversionOutcome ConvertSoundFile(const std::string& input, const std::string& output,
                                       const SL::CConversionOptions& options,
                                       ExistingOutput existing = ExistingOutput::Keep,
                                       const SL::CSoundFileConverter::Progress& progress = {});

} // namespace ZQ3
