#pragma once

#include "app/command_outcome.h"
#include "app/model.h"
#include "app/progress.h"
#include "app/temporary_files.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ZQ3 {

// Puts a WAV or AIFF file onto the selected pad of the card. The file is checked, encoded into
// channel files in the temporary directory, copied onto the card under temporary names and
// renamed into place; only then is a complete new information file put over the old one. Until
// that last step the card's information file still describes the old sample, and it is never
// missing. Failures are reported to the user here; the caller installs the new model on
// success. The temporary files go when the command does.
class CImportCommand {
public:
    CImportCommand(const CModel& installed, UL::IProgress& progress)
        : installed_(installed), progress_(progress) {}

    // The installed model must hold a card and a selected pad.
    CommandOutcome run(const std::string& path);

    // The model to install after a successful run.
    std::optional<CModel>& newModel() { return newModel_; }

    // The entry that records frameCount frames of channelCount channels: the frames are stored
    // in whole codec blocks, while the tempo is that of the source's own length.
    static SampleEntry NewEntry(std::int64_t frameCount, int channelCount);

private:
    enum class Step { Done, Cancelled, Failed };

    // Encodes the file into the temporary channel files, frameCount frames of channelCount
    // channels as the checks found them.
    Step encode(const std::string& path, std::int64_t frameCount, int channelCount);
    // Copies the encoded files onto the card under their temporary names.
    Step copyToCard();
    // Clears the slot's old files and renames the card copies into their place.
    bool placeChannelFiles();
    CommandOutcome fail(int message);

    const CModel& installed_;
    UL::IProgress& progress_;
    std::optional<CModel> newModel_;
    std::vector<std::string> encodedFiles_;
    std::vector<std::string> cardCopies_;
    CTemporaryFiles temporaries_;
};

} // namespace ZQ3
