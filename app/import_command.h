#pragma once

#include "app/command_outcome.h"
#include "app/import_batch.h"
#include "app/model.h"
#include "app/private_directory.h"
#include "app/progress_session.h"
#include "card/card_transaction.h"
#include "card/file_system.h"
#include "sl/convert/sound_file_converter.h"
#include "sl/files/wave_file_loader.h"
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
struct ImportFileCheck;

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

// Whether an import converts the files the card does not take as they are, and how.
struct ImportConversion {
    // Files the card refuses as they are, but that the converter reads, are converted to
    // 16-bit 44100 Hz first. A file the card takes is imported exactly as without it, unless
    // the options ask for a change: normalising, or mixing a stereo file to mono.
    bool convert = false;
    SL::CConversionOptions options;
    // Whether a refusal of a file the converter could convert advises the command-line
    // option that asks for it.
    bool adviseConvertOption = false;
    // Whether the check finds out if converting would make the card take a refused file, for a
    // front end that says so in words of its own (ImportFileCheck::convertible).
    bool findConvertible = false;
};

// Puts WAV or AIFF files onto pads of the card. Every file is checked before anything is written;
// then each is encoded into channel files in a folder of the command's own, and the channel
// files and a complete new information file are copied onto the card under temporary names. One
// card transaction puts them all in place: the card reads as the old state or the new one, never
// a mixture, even after a crash or a cancel half-way through a batch. Failures are reported to
// the user here; the caller installs the new model on success. The work files go when the
// command does.
class CImportCommand {
public:
    CImportCommand(const CModel& installed, UL::IProgress& progress,
                   IFileSystem& fs = PosixFileSystem())
        : installed_(installed), progress_(progress), fs_(fs),
          transaction_(installed.cardRoot, fs) {}

    // The installed model must hold a card and a selected pad, read from the card under its
    // lock, which the caller holds for the whole run.
    CommandOutcome run(const std::string& path);
    // Imports each item's file onto its slot (of any bank), in one change of the card. When a
    // file is refused, every refused file is reported with its reason and nothing is written.
    CommandOutcome run(const std::vector<ImportItem>& items);

    void setConversion(const ImportConversion& conversion) { conversion_ = conversion; }
    // Whether the card's new files are read back before the change commits.
    void setReadBack(bool readBack) { transaction_.setReadBack(readBack); }
    // Keeps the change in history (which outlives the run) before it commits.
    void recordHistoryIn(CCardHistory& history) { history_ = &history; }

    // The model to install after a successful run, or after one that left the change to be
    // completed at the card's next opening.
    std::optional<CModel>& newModel() { return newModel_; }

    // The entry that records frameCount frames of channelCount channels: the frames are stored
    // in whole codec blocks, while the tempo is that of the source's own length.
    static SampleEntry NewEntry(std::int64_t frameCount, int channelCount);

    // Checks a loaded file against what the card takes: 16-bit integer samples at exactly
    // 44100 Hz, one or two channels, at least 70 ms.
    static WaveShape CheckShape(const SL::IWave& wave);

    // Whether the file at path is one the card refuses as it is but takes once converted: its
    // sample type, rate or channel count is not the card's, or only the converter reads it, and
    // it is long enough. A damaged, cut-short or too short file is not.
    static bool ConversionWouldHelp(const std::string& path);

private:
    // Checks every item's file, converting those that need it when asked to; the shapes of
    // accepted files, or nothing after a reported refusal or a cancel (in cancelled).
    std::optional<std::vector<WaveShape>> checkFiles(const std::vector<ImportItem>& items,
                                                     bool& cancelled);
    // Whether the files the checks take, at the lengths they will have once converted, fit the
    // card's free space and its file format; true when nothing is converted (the files are
    // measured after their checks as usual) or a check refused. When they do not fit the free
    // space, shortage says by how much.
    bool convertedFilesFit(const std::vector<ImportFileCheck>& checks, std::string& shortage) const;
    // Converts the item's file into the work folder and loads the result; the refusal when it
    // fails. The work file's path goes to sources_.
    SL::CLoadedWave convert(const std::string& path, std::size_t index, std::string& refusal,
                            bool& cancelled);
    // Encodes the file at path (the user's, or its conversion) into temporary channel files
    // named after base, frameCount frames of channelCount channels as the checks found them;
    // a failure names the user's file as fileName.
    StepResult encode(const std::string& path, const std::string& fileName, const std::string& base,
                      std::int64_t frameCount, int channelCount);
    // Encodes input into the channel files: a stereo one on two threads, when the input reads in
    // runs (encodeRuns), else on this one (encodeSamples).
    template <class Input>
    StepResult encodeRuns(Input& input, const std::vector<std::string>& files);
    template <class Input>
    StepResult encodeSamples(Input& input, const std::vector<std::string>& files);
    // Shows text as the next step of the import's one progress display, opened on the first.
    void showStep(const std::string& text);
    CommandOutcome importAll(const std::vector<ImportItem>& items);
    // Copies the encoded files onto the card under their temporary names, which it adds to
    // cardCopies; the work copies go once they are on the card.
    StepResult copyToCard(int itemCount, std::vector<std::string>& cardCopies);
    // Stages the new information file and commits the change: the copies take their slots'
    // names, a right file that a new sample does not use goes, and the information file is
    // replaced. Nothing when the information file could not be staged.
    std::optional<CCardTransaction::Result> commit(const CModel& updated,
                                                   const std::vector<ImportItem>& items);
    CommandOutcome fail(int message, const std::string& detail = std::string());

    const CModel& installed_;
    UL::IProgress& progress_;
    IFileSystem& fs_;
    std::optional<CModel> newModel_;
    ImportConversion conversion_;
    // Per item, the file its samples are read from: its own, or its conversion.
    std::vector<std::string> sources_;
    CPrivateDirectory work_;
    // Open from the import's first step to its end.
    std::optional<CProgressSession> session_;
    std::vector<std::string> encodedFiles_;
    // Why the last encoding failed, when the source file is to blame.
    std::string encodeFailure_;
    // The error of a conversion that could not write its work file (0 when it gave none): the
    // work folder, not the user's file, is then to blame.
    std::optional<int> conversionWriteError_;
    // Per item, the names of its copies on the card.
    std::vector<std::vector<std::string>> cardCopies_;
    CCardTransaction transaction_;
    CCardHistory* history_ = nullptr;
};

} // namespace ZQ3
