#pragma once

#include "app/command_outcome.h"
#include "app/model.h"
#include "app/private_directory.h"
#include "card/card_transaction.h"
#include "card/file_system.h"
#include "sl/model/bit_depth.h"
#include "ul/progress.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace SL {
class IWave;
}

namespace ZQ3 {

// The shape of a loaded file as the card sees it, and which of the card's conditions it misses.
struct WaveShape {
    enum Condition : unsigned {
        SixteenBitInteger = 1u << 0,
        CardSampleRate = 1u << 1,
        OneOrTwoChannels = 1u << 2,
        // At least 70 ms.
        LongEnough = 1u << 3,
    };

    SL::CBitDepth bitDepth;
    double sampleRate = 0;
    int channelCount = 0;
    std::int64_t frameCount = 0;
    // The conditions the file does not meet.
    unsigned missed = 0;

    bool accepted() const { return missed == 0; }
};

// Puts a WAV or AIFF file onto the selected pad of the card. The file is checked and encoded
// into channel files in a folder of the command's own; the channel files and a complete new
// information file are copied onto the card under temporary names, and one card transaction
// puts them all in place: the card reads as the old state or the new one, never a mixture, even
// after a crash. Failures are reported to the user here; the caller installs the new model on
// success. The work files go when the command does.
class CImportCommand {
public:
    CImportCommand(const CModel& installed, UL::IProgress& progress,
                   IFileSystem& fs = PosixFileSystem())
        : installed_(installed), progress_(progress), fs_(fs),
          transaction_(installed.cardRoot, fs) {}

    // The installed model must hold a card and a selected pad, read from the card under its
    // lock, which the caller holds for the whole run.
    CommandOutcome run(const std::string& path);

    // The model to install after a successful run.
    std::optional<CModel>& newModel() { return newModel_; }

    // The entry that records frameCount frames of channelCount channels: the frames are stored
    // in whole codec blocks, while the tempo is that of the source's own length.
    static SampleEntry NewEntry(std::int64_t frameCount, int channelCount);

    // Checks a loaded file against what the card takes: 16-bit integer samples at exactly
    // 44100 Hz, one or two channels, at least 70 ms.
    static WaveShape CheckShape(const SL::IWave& wave);

private:
    // Encodes the file into the temporary channel files, frameCount frames of channelCount
    // channels as the checks found them.
    StepResult encode(const std::string& path, std::int64_t frameCount, int channelCount);
    // Copies the encoded files onto the card under their temporary names.
    StepResult copyToCard();
    // Stages the new information file and commits the change: the copies take the slot's names,
    // a right file that the new sample does not use goes, and the information file is replaced.
    bool commit(const CModel& updated);
    CommandOutcome fail(int message, const std::string& detail = std::string());

    const CModel& installed_;
    UL::IProgress& progress_;
    IFileSystem& fs_;
    std::optional<CModel> newModel_;
    CPrivateDirectory work_;
    std::vector<std::string> encodedFiles_;
    std::vector<std::string> cardCopies_;
    CCardTransaction transaction_;
};

} // namespace ZQ3
