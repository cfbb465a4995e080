#pragma once

#include "app/model.h"

#include <optional>
#include <string>
#include <vector>

namespace ZQ3 {

// One file of an import and the slot (bank × 16 + pad) it goes to.
struct ImportItem {
    std::string path;
    int slot = 0;
};

// What an import of several files does: the files go onto consecutive pads from the first one
// on, in the order given, running on into the next bank after pad 15 and never past the card's
// last pad. A folder stands for its WAV and AIFF files in natural name order ("kick2" before
// "kick10"), so that a kit folder lands as its files are numbered.
struct ImportBatch {
    enum class Problem {
        // Files of a restore whose names name no pad; `subjects` names them.
        UnnamedFiles,
        // Two files of a restore named for one pad; `subjects` names them, and `slot` the pad.
        SamePad,
        None,
        // The sources named no file at all (empty folders).
        NoFiles,
        // More files than pads from the first one to the card's last.
        PastLastPad,
        // A folder that could not be listed; `subject` names it.
        UnreadableFolder,
    };

    std::vector<ImportItem> items;
    Problem problem = Problem::None;
    std::string subject;
    std::vector<std::string> subjects;
    int slot = 0;
    // Whether folders stood for every sound file the converter reads, not only WAV and AIFF.
    bool everySoundFile = false;
    // How many files the sources stand for, and how many pads there are from the first on.
    int fileCount = 0;
    int padsLeft = 0;

    bool isValid() const { return problem == Problem::None; }
    // Why the batch cannot run, in the catalogue's language; empty for a valid batch.
    std::string problemText() const;
};

// Which files of a folder an import takes.
enum class FolderFiles {
    // Its WAV and AIFF files, by their extension in any case: what the card takes.
    WaveAndAiff,
    // Every sound file the converter reads as well, for an import that converts.
    EverySoundFile,
};

// Plans an import of sources (absolute paths of files and folders) from firstSlot on. A path
// that is not a folder is taken as a file as it is: the import's checks report what is wrong
// with it.
ImportBatch PlanImportBatch(int firstSlot, const std::vector<std::string>& sources,
                            FolderFiles folderFiles = FolderFiles::WaveAndAiff);

// Plans putting a backup back: each file of sources named as an export names a pad's file
// ("D02.wav", "d2.aif") goes onto that pad, whatever order it comes in. bank limits it to one
// bank's pads, leaving the files of the others out; nothing means every pad. A file whose name
// names no pad is refused, as are two files for one pad.
ImportBatch PlanRestoreBatch(std::optional<int> bank, const std::vector<std::string>& sources,
                             FolderFiles folderFiles = FolderFiles::WaveAndAiff);

// The files of folder that folderFiles asks for, in natural name order; false when the folder
// cannot be listed.
bool ListSoundFiles(const std::string& folder, std::vector<std::string>& files,
                    FolderFiles folderFiles = FolderFiles::WaveAndAiff);

// Natural name order: runs of digits compare by their value, everything else byte by byte.
bool NaturalLess(const std::string& left, const std::string& right);

// The slots of the batch that already hold a sample on the card of model.
std::vector<int> OccupiedSlots(const CModel& model, const std::vector<ImportItem>& items);

// "D0, D3 already hold samples. Replace them?" for the slots of samples an import would
// replace, in the catalogue's language.
std::string ReplaceQuestion(const std::vector<int>& slots);

// The files of items that the card takes only once they are converted to its format (see
// CImportCommand::ConversionWouldHelp), in the items' order: what a front end asks about before
// an import that may convert them.
std::vector<std::string> FilesNeedingConversion(const std::vector<ImportItem>& items);

// "kick.flac, pad.wav are not in the card's format (16-bit 44.1 kHz). Convert them?" for those
// files, in the catalogue's language.
std::string ConversionQuestion(const std::vector<std::string>& paths);

// "Importing 3/16: snare.wav": the progress title of the file number of count in a batch.
std::string BatchImportTitle(int number, int count, const std::string& fileName);

// "D0, D3": the pad names of slots.
std::string PadList(const std::vector<int>& slots);

} // namespace ZQ3
