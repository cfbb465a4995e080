#include "app/import_batch.h"

#include "app/import_command.h"
#include "app/localized_text.h"
#include "app/refusal_details.h"
#include "card/card_layout.h"
#include "card/path_names.h"
#include "sl/convert/sound_file_converter.h"

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace ZQ3 {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool HasSoundExtension(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) {
        return false;
    }
    std::string extension = name.substr(dot + 1);
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return extension == "wav" || extension == "aif" || extension == "aiff";
}

bool IsFolder(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Only a regular file is opened to be probed: a FIFO would block the listing.
bool IsRegularFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool Taken(const std::string& path, const std::string& name, FolderFiles folderFiles) {
    if (HasSoundExtension(name)) {
        return !IsFolder(path);
    }
    return folderFiles == FolderFiles::EverySoundFile && IsRegularFile(path) &&
           SL::CSoundFileConverter::Probe(path).has_value();
}

// The files sources stand for, folders listed; false (with the folder in batch) when a folder
// cannot be listed.
bool CollectFiles(const std::vector<std::string>& sources, FolderFiles folderFiles,
                  ImportBatch& batch, std::vector<std::string>& files) {
    batch.everySoundFile = folderFiles == FolderFiles::EverySoundFile;
    for (const std::string& source : sources) {
        if (!IsFolder(source)) {
            files.push_back(source);
        } else if (!ListSoundFiles(source, files, folderFiles)) {
            batch.problem = ImportBatch::Problem::UnreadableFolder;
            batch.subject = source;
            return false;
        }
    }
    return true;
}

// "D02" of "D02.wav": the name without its extension.
std::string Stem(const std::string& path) {
    const std::string name = PathNames::LastPart(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

} // namespace

bool NaturalLess(const std::string& left, const std::string& right) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < left.size() && j < right.size()) {
        if (IsDigit(left[i]) && IsDigit(right[j])) {
            // Leading zeros do not count for the value; the longer run of significant digits is
            // the larger number, whatever its length, so no number ever overflows.
            std::size_t leftEnd = i;
            std::size_t rightEnd = j;
            while (leftEnd < left.size() && IsDigit(left[leftEnd])) {
                ++leftEnd;
            }
            while (rightEnd < right.size() && IsDigit(right[rightEnd])) {
                ++rightEnd;
            }
            std::size_t leftStart = i;
            std::size_t rightStart = j;
            while (leftStart + 1 < leftEnd && left[leftStart] == '0') {
                ++leftStart;
            }
            while (rightStart + 1 < rightEnd && right[rightStart] == '0') {
                ++rightStart;
            }
            const std::size_t leftDigits = leftEnd - leftStart;
            const std::size_t rightDigits = rightEnd - rightStart;
            if (leftDigits != rightDigits) {
                return leftDigits < rightDigits;
            }
            const int order = left.compare(leftStart, leftDigits, right, rightStart, rightDigits);
            if (order != 0) {
                return order < 0;
            }
            // Equal values: fewer leading zeros first, so that the order stays total.
            if (leftEnd - i != rightEnd - j) {
                return leftEnd - i < rightEnd - j;
            }
            i = leftEnd;
            j = rightEnd;
            continue;
        }
        if (left[i] != right[j]) {
            return static_cast<unsigned char>(left[i]) < static_cast<unsigned char>(right[j]);
        }
        ++i;
        ++j;
    }
    return left.size() - i < right.size() - j;
}

bool ListSoundFiles(const std::string& folder, std::vector<std::string>& files,
                    FolderFiles folderFiles) {
    const std::unique_ptr<DIR, int (*)(DIR*)> directory(::opendir(folder.c_str()), ::closedir);
    if (!directory) {
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(directory.get())) {
        const std::string name = entry->d_name;
        // Hidden files are left out: the "._kick.wav" companions other systems put beside a
        // file are no sound.
        if (name.empty() || name[0] == '.') {
            continue;
        }
        if (Taken(folder + "/" + name, name, folderFiles)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(), NaturalLess);
    for (const std::string& name : names) {
        files.push_back(folder == "/" ? "/" + name : folder + "/" + name);
    }
    return true;
}

ImportBatch PlanImportBatch(int firstSlot, const std::vector<std::string>& sources,
                            FolderFiles folderFiles) {
    ImportBatch batch;
    std::vector<std::string> files;
    if (!CollectFiles(sources, folderFiles, batch, files)) {
        return batch;
    }
    batch.fileCount = static_cast<int>(files.size());
    batch.padsLeft =
        firstSlot >= 0 && firstSlot < CardLayout::SlotCount ? CardLayout::SlotCount - firstSlot : 0;
    if (files.empty()) {
        batch.problem = ImportBatch::Problem::NoFiles;
        return batch;
    }
    if (batch.fileCount > batch.padsLeft) {
        batch.problem = ImportBatch::Problem::PastLastPad;
        return batch;
    }
    int slot = firstSlot;
    for (std::string& file : files) {
        batch.items.push_back({std::move(file), slot++});
    }
    return batch;
}

ImportBatch PlanRestoreBatch(std::optional<int> bank, const std::vector<std::string>& sources,
                             FolderFiles folderFiles) {
    ImportBatch batch;
    std::vector<std::string> files;
    if (!CollectFiles(sources, folderFiles, batch, files)) {
        return batch;
    }
    std::vector<std::string> unnamed;
    std::vector<std::string> bySlot(CardLayout::SlotCount);
    for (std::string& file : files) {
        const std::optional<int> slot = CardLayout::SlotOfPadName(Stem(file));
        if (!slot) {
            unnamed.push_back(PathNames::LastPart(file));
            continue;
        }
        if (bank && *slot / CardLayout::PadsPerBank != *bank) {
            continue;
        }
        std::string& taken = bySlot[static_cast<std::size_t>(*slot)];
        if (!taken.empty() && batch.subjects.empty()) {
            batch.slot = *slot;
            batch.subjects = {PathNames::LastPart(taken), PathNames::LastPart(file)};
        }
        taken = std::move(file);
    }
    if (!unnamed.empty()) {
        batch.problem = ImportBatch::Problem::UnnamedFiles;
        batch.subjects = std::move(unnamed);
        return batch;
    }
    if (!batch.subjects.empty()) {
        batch.problem = ImportBatch::Problem::SamePad;
        return batch;
    }
    for (int slot = 0; slot < CardLayout::SlotCount; ++slot) {
        std::string& file = bySlot[static_cast<std::size_t>(slot)];
        if (!file.empty()) {
            batch.items.push_back({std::move(file), slot});
        }
    }
    batch.fileCount = static_cast<int>(batch.items.size());
    batch.padsLeft = bank ? CardLayout::PadsPerBank : CardLayout::SlotCount;
    if (batch.items.empty()) {
        batch.problem = ImportBatch::Problem::NoFiles;
    }
    return batch;
}

std::string ImportBatch::problemText() const {
    switch (problem) {
    case Problem::None:
        break;
    case Problem::NoFiles:
        return everySoundFile ? Localized("no sound file to import was given.")
                              : Localized("no WAV or AIFF file to import was given.");
    case Problem::UnnamedFiles: {
        std::string text;
        for (const std::string& name : subjects) {
            text += (text.empty() ? "" : "\n") +
                    Localized("{0}: the name is no pad's (as D05.wav is D5's), so the file has "
                              "no pad to go back to.",
                              {name});
        }
        return text;
    }
    case Problem::SamePad:
        return Localized("{0} and {1} are both named for pad {2}; keep one of them.",
                         {subjects.at(0), subjects.at(1), CardLayout::PadName(slot)});
    case Problem::PastLastPad:
        if (padsLeft == 1) {
            return Localized(
                "{0} files do not fit: from the first pad given to J15 there is {1} pad.",
                {std::to_string(fileCount), std::to_string(padsLeft)});
        }
        return Localized(
            "{0} files do not fit: from the first pad given to J15 there are {1} pads.",
            {std::to_string(fileCount), std::to_string(padsLeft)});
    case Problem::UnreadableFolder:
        return Localized("{0}: the folder cannot be read.", {subject});
    }
    return {};
}

std::vector<int> OccupiedSlots(const CModel& model, const std::vector<ImportItem>& items) {
    std::vector<int> occupied;
    for (const ImportItem& item : items) {
        if (item.slot >= 0 && item.slot < CardLayout::SlotCount &&
            !model.entries[static_cast<std::size_t>(item.slot)].isEmpty()) {
            occupied.push_back(item.slot);
        }
    }
    return occupied;
}

std::string PadList(const std::vector<int>& slots) {
    std::string list;
    for (const int slot : slots) {
        if (!list.empty()) {
            list += ", ";
        }
        list += CardLayout::PadName(slot);
    }
    return list;
}

std::string BatchImportTitle(int number, int count, const std::string& fileName) {
    return Localized("Importing {0}/{1}: {2}",
                     {std::to_string(number), std::to_string(count), fileName});
}

std::string ReplaceQuestion(const std::vector<int>& slots) {
    if (slots.size() == 1) {
        return Localized("{0} already holds a sample. Replace it?", {PadList(slots)});
    }
    return Localized("{0} already hold samples. Replace them?", {PadList(slots)});
}

std::vector<std::string> FilesNeedingConversion(const std::vector<ImportItem>& items) {
    std::vector<std::string> files;
    for (const ImportItem& item : items) {
        if (CImportCommand::ConversionWouldHelp(item.path)) {
            files.push_back(item.path);
        }
    }
    return files;
}

std::string ConversionQuestion(const std::vector<std::string>& paths) {
    std::string names;
    for (const std::string& path : paths) {
        names += (names.empty() ? "" : ", ") + PathNames::LastPart(path);
    }
    if (paths.size() == 1) {
        return Localized("{0} is not in the card's format (16-bit 44.1 kHz). Convert it?", {names});
    }
    return Localized("{0} are not in the card's format (16-bit 44.1 kHz). Convert them?", {names});
}

} // namespace ZQ3
