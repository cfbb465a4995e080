#include "app/card_undo.h"

#include "app/card_obstacle_details.h"
#include "app/localized_text.h"
#include "app/private_directory.h"
#include "card/card_layout.h"
#include "card/card_recovery.h"
#include "card/card_transaction.h"
#include "card/temporary_names.h"

#include <algorithm>
#include <cerrno>

namespace ZQ3 {
namespace {

using Problem = HistoryStepping::Problem;

HistoryStepping Failed(Problem problem, HistoryStepping stepping = {}) {
    stepping.problem = problem;
    return stepping;
}

// The state the step leaves a file in, and the one it must find.
const CardFileState& Target(const ChangedFile& file, HistoryDirection direction) {
    return direction == HistoryDirection::Undo ? file.before : file.after;
}

const CardFileState& Expected(const ChangedFile& file, HistoryDirection direction) {
    return direction == HistoryDirection::Undo ? file.after : file.before;
}

// Stages the history's copies of the target states and names the steps: the channel files
// first, the information file last, as every change of the card orders them.
bool StageTargets(CCardTransaction& transaction, const CCardHistory& history,
                  const HistoryEntry& entry, HistoryDirection direction) {
    std::vector<const ChangedFile*> files;
    for (const ChangedFile& file : entry.files) {
        files.push_back(&file);
    }
    std::stable_partition(files.begin(), files.end(), [](const ChangedFile* file) {
        return file->name != CardLayout::InformationFileName;
    });
    int staged = 0;
    for (const ChangedFile* file : files) {
        if (!Target(*file, direction).present) {
            transaction.removeOnCommit(file->name);
            continue;
        }
        const std::string copy = direction == HistoryDirection::Undo
                                     ? history.beforeCopy(entry, file->name)
                                     : history.afterCopy(entry, file->name);
        const std::string temporary =
            file->name == CardLayout::InformationFileName
                ? std::string(TemporaryNames::SampleInformationFile)
                : std::string(TemporaryNames::SampleFile) + "U" + std::to_string(staged++);
        if (!transaction.stage(copy, temporary, nullptr)) {
            return false;
        }
        transaction.renameOnCommit(temporary, file->name);
    }
    return true;
}

} // namespace

std::optional<HistoryEntry> NextHistoryStep(const CCardHistory& history,
                                            HistoryDirection direction) {
    const std::vector<HistoryEntry> entries = history.entries();
    if (direction == HistoryDirection::Undo) {
        // The newest change still in effect.
        for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
            if (!entry->undone) {
                return *entry;
            }
        }
        return std::nullopt;
    }
    // The oldest undone change: the undone ones are always the newest, undone newest first.
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (!entry->undone) {
            if (entry == entries.rbegin()) {
                return std::nullopt;
            }
            return *std::prev(entry);
        }
    }
    if (entries.empty()) {
        return std::nullopt;
    }
    return entries.front();
}

HistoryStepping StepThroughHistory(const std::string& root, CCardHistory& history,
                                   HistoryDirection direction, const HistoryStepOptions& options,
                                   IFileSystem& fs) {
    CCardLock lock(fs);
    HistoryStepping stepping;
    if (!options.cardSettled) {
        switch (lock.acquire(root, options.waiting)) {
        case CCardLock::Result::Locked:
            break;
        case CCardLock::Result::Busy:
        case CCardLock::Result::Cancelled:
            return Failed(Problem::Busy);
        case CCardLock::Result::Failed:
            return Failed(Problem::NoCard);
        }
        const RecoveryResult recovery = RecoverCard(root, fs, &stepping.obstacle);
        if (recovery != RecoveryResult::Clean && recovery != RecoveryResult::Finished) {
            stepping.error = errno;
            return Failed(Problem::NotRecovered, std::move(stepping));
        }
    }
    // Read under the lock: every change of the card and its history happens under it.
    const std::optional<HistoryEntry> entry = NextHistoryStep(history, direction);
    if (!entry) {
        return Failed(Problem::NothingToDo);
    }
    stepping.description = entry->description;

    const std::string folder = CardLayout::CardDirectory(root);
    bool atTarget = true;
    for (const ChangedFile& file : entry->files) {
        CardFileState now;
        const bool read = ReadCardFileState(folder + file.name, now, fs);
        if (!read || now != Expected(file, direction)) {
            stepping.differing.push_back(ChangedFileName(file.name));
        }
        atTarget = atTarget && read && now == Target(file, direction);
    }
    if (!stepping.differing.empty()) {
        // An earlier step reached the card but not the history's mark: only the mark is left.
        if (atTarget) {
            history.markUndone(*entry, direction == HistoryDirection::Undo);
            stepping.differing.clear();
            return stepping;
        }
        return Failed(Problem::CardChanged, std::move(stepping));
    }
    // The computer's copies are checked before any of them goes onto the card.
    for (const ChangedFile& file : entry->files) {
        const CardFileState& target = Target(file, direction);
        if (!target.present) {
            continue;
        }
        const std::string copy = direction == HistoryDirection::Undo
                                     ? history.beforeCopy(*entry, file.name)
                                     : history.afterCopy(*entry, file.name);
        CardFileState kept;
        if (!ReadCardFileState(copy, kept, PosixFileSystem()) || kept != target) {
            stepping.differing.push_back(copy);
            return Failed(Problem::HistoryDamaged, std::move(stepping));
        }
    }

    CCardTransaction transaction(root, fs);
    transaction.setReadBack(options.readBack);
    if (!StageTargets(transaction, history, *entry, direction)) {
        stepping.obstacle = transaction.obstacle();
        stepping.error = errno;
        return Failed(Problem::CannotWrite, std::move(stepping));
    }
    const CCardTransaction::Result result = transaction.commit();
    stepping.obstacle = transaction.obstacle();
    switch (result) {
    case CCardTransaction::Result::Done:
        break;
    case CCardTransaction::Result::NotCommitted:
        return Failed(Problem::CannotWrite, std::move(stepping));
    case CCardTransaction::Result::Pending:
        history.markUndone(*entry, direction == HistoryDirection::Undo);
        return Failed(Problem::Pending, std::move(stepping));
    case CCardTransaction::Result::Undecided:
        // The next step finds out from the card whether this one reached it.
        return Failed(Problem::Undecided, std::move(stepping));
    }
    // A mark that cannot be written now is made by the next step, which finds the card at the
    // target already.
    history.markUndone(*entry, direction == HistoryDirection::Undo);
    stepping.obstacle = {};
    return stepping;
}

std::string HistorySteppingDetail(const std::string& root, const HistoryStepping& stepping,
                                  HistoryDirection direction) {
    const bool undo = direction == HistoryDirection::Undo;
    const std::string change = ChangeDescriptionText(stepping.description);
    std::string files;
    for (const std::string& name : stepping.differing) {
        files += (files.empty() ? "" : ", ") + name;
    }
    switch (stepping.problem) {
    case Problem::None:
        return {};
    case Problem::NothingToDo:
        return undo ? Localized("There is no change of {0} to undo.", {root})
                    : Localized("There is no undone change of {0} to redo.", {root});
    case Problem::NoCard:
        return Localized("{0} is not a card, or it cannot be locked.", {root});
    case Problem::Busy:
        return Localized("Another converter is using {0}.", {root});
    case Problem::NotRecovered:
        return RecoveryObstacleDetail(CardLayout::CardDirectory(root), stepping.obstacle);
    case Problem::CardChanged:
        return undo
                   ? Localized("The card is no longer as \"{0}\" left it; these files differ: {1}. "
                               "Nothing was undone.",
                               {change, files})
                   : Localized(
                         "The card is no longer as it was before \"{0}\"; these files differ: {1}. "
                         "Nothing was redone.",
                         {change, files});
    case Problem::HistoryDamaged:
        return Localized("The history's copy {0} is damaged, so \"{1}\" cannot be "
                         "taken back or made again. Nothing was changed on the card.",
                         {files, change});
    case Problem::CannotWrite:
        return stepping.obstacle ? CardObstacleDetail(stepping.obstacle)
                                 : WithCardAsItWas(WorkFolderFailureDetail(stepping.error));
    case Problem::Pending:
    case Problem::Undecided:
        return CardObstacleDetail(stepping.obstacle, CardAfterwards::Recorded);
    }
    return {};
}

std::string ChangeDescriptionText(const ChangeDescription& description) {
    const std::vector<std::string>& v = description.values;
    const char* text = description.text.c_str();
    switch (v.size()) {
    case 0:
        return Localized(text);
    case 1:
        return Localized(text, {v[0]});
    case 2:
        return Localized(text, {v[0], v[1]});
    case 3:
        return Localized(text, {v[0], v[1], v[2]});
    default:
        return Localized(text, {v[0], v[1], v[2], v[3]});
    }
}

std::string ChangedFileName(const std::string& name) {
    if (name == CardLayout::InformationFileName) {
        return Localized("the sample information file ({0})", {name});
    }
    for (int slot = 0; slot < CardLayout::SlotCount; ++slot) {
        if (name == CardLayout::LeftFileName(slot) || name == CardLayout::RightFileName(slot)) {
            return Localized("{0} (file {1})", {CardLayout::PadName(slot), name});
        }
    }
    return name;
}

ChangeDescription ImportDescription(const std::string& fileName, int slot) {
    return {N_("Import {0} onto {1}"), {fileName, CardLayout::PadName(slot)}};
}

ChangeDescription ImportBatchDescription(int fileCount) {
    return {N_("Import {0} files"), {std::to_string(fileCount)}};
}

ChangeDescription DeleteDescription(int slot) {
    return {N_("Delete {0}"), {CardLayout::PadName(slot)}};
}

ChangeDescription TransferDescription(PadTransferKind kind, const std::vector<SlotPair>& pairs) {
    if (pairs.size() != 1) {
        const std::string count = std::to_string(pairs.size());
        switch (kind) {
        case PadTransferKind::Move:
            return {N_("Move {0} pads"), {count}};
        case PadTransferKind::Copy:
            return {N_("Copy {0} pads"), {count}};
        case PadTransferKind::Swap:
            break;
        }
        return {N_("Swap {0} pairs of pads"), {count}};
    }
    const std::string source = CardLayout::PadName(pairs.front().source);
    const std::string destination = CardLayout::PadName(pairs.front().destination);
    switch (kind) {
    case PadTransferKind::Move:
        return {N_("Move {0} to {1}"), {source, destination}};
    case PadTransferKind::Copy:
        return {N_("Copy {0} to {1}"), {source, destination}};
    case PadTransferKind::Swap:
        break;
    }
    return {N_("Swap {0} and {1}"), {source, destination}};
}

} // namespace ZQ3
