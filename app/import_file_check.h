#pragma once

#include "app/import_command.h"
#include "sl/convert/sound_file_converter.h"
#include "sl/files/wave_file_loader.h"

#include <cstdint>
#include <optional>
#include <string>

namespace ZQ3 {

// What an import does with one file, as its check before anything is converted or written finds
// it. The import and the desktop program's open dialog both ask this, so that the dialog says
// exactly what the import then does.
struct ImportFileCheck {
    enum class Verdict {
        // The card takes the file as it is.
        Taken,
        // The converter makes it a file the card takes first.
        Converted,
        // The file is refused; refusal says why.
        Refused,
    };

    Verdict verdict = Verdict::Refused;
    // What the converter's own WAV and AIFF readers made of the file, and its shape when they
    // read it.
    SL::CLoadedWave loaded;
    WaveShape shape;
    // The file as libsndfile reads it, once conversion was considered for it.
    std::optional<SL::CSoundFileShape> source;
    // Whether converting could make the card take a file it does not take as it is.
    bool convertible = false;
    // Why the file is refused, naming it; empty unless refused.
    std::string refusal;
    // For a file to be converted: the frames and channels it will have on the card. The frame
    // count is the source's length at the card's rate, as close as the file's header tells it.
    std::int64_t convertedFrames = 0;
    int convertedChannels = 0;
};

// Checks the file at path as an import with conversion does.
ImportFileCheck CheckImportFile(const std::string& path, const ImportConversion& conversion);

} // namespace ZQ3
