#pragma once

#include "app/pad_transfer.h"
#include "card/card_history.h"
#include "card/card_lock.h"
#include "card/card_obstacle.h"
#include "card/file_system.h"

#include <optional>
#include <string>
#include <vector>

namespace ZQ3 {

// Which way a step through the history goes.
enum class HistoryDirection {
    // Puts the card back as it was before its last change.
    Undo,
    // Makes again the change undone last.
    Redo,
};

// The change an undo or redo would take back or make again; nothing when there is none.
std::optional<HistoryEntry> NextHistoryStep(const CCardHistory& history,
                                            HistoryDirection direction);

// What a step through the history came to.
struct HistoryStepping {
    enum class Problem {
        None,
        // There is no change to undo, or none to redo.
        NothingToDo,
        // root is not a card, or is busy with another converter, or an interrupted change on
        // it could not be settled (obstacle says why).
        NoCard,
        Busy,
        NotRecovered,
        // The card is no longer as the change left it (as it was before the change, for a
        // redo): differing names the files. Nothing changed.
        CardChanged,
        // A copy in the history is not what it was when it was kept: differing names it.
        HistoryDamaged,
        // The change of the card could not be written; obstacle or error says why. Nothing
        // changed.
        CannotWrite,
        // The change of the card is recorded but waits for its next opening, or it cannot be
        // told whether it reached the card.
        Pending,
        Undecided,
    };
    Problem problem = Problem::None;
    // The change undone or redone, or the one that could not be.
    ChangeDescription description;
    // Card file names, as ChangedFileName shows them.
    std::vector<std::string> differing;
    CardObstacle obstacle;
    int error = 0;
};

struct HistoryStepOptions {
    // Whether the change reads its files back from the card before it commits.
    bool readBack = true;
    CardLockWaiting waiting;
    // Whether the caller holds the card's lock and has settled the card already.
    bool cardSettled = false;
};

// Undoes the last change of the card at root kept in history, or redoes the change undone
// last: under the card's lock, in one card transaction, and only when every file the change
// touched is as the other side of the change left it. A step that an earlier attempt carried
// out on the card but could not mark in the history is only marked.
HistoryStepping StepThroughHistory(const std::string& root, CCardHistory& history,
                                   HistoryDirection direction, const HistoryStepOptions& options,
                                   IFileSystem& fs = PosixFileSystem());

// Why a step did not go as asked, for the user; empty when it went.
std::string HistorySteppingDetail(const std::string& root, const HistoryStepping& stepping,
                                  HistoryDirection direction);

// The description of a change in the catalogue's current language.
std::string ChangeDescriptionText(const ChangeDescription& description);

// A card file as the user knows it: "the sample information file", or "C5 (left channel)".
std::string ChangedFileName(const std::string& name);

// Descriptions of the changes the commands make, for CCardTransaction::recordIn.
ChangeDescription ImportDescription(const std::string& fileName, int slot);
ChangeDescription ImportBatchDescription(int fileCount);
ChangeDescription DeleteDescription(int slot);
// A transfer of one pad names both pads; one of several pads counts them.
ChangeDescription TransferDescription(PadTransferKind kind, const std::vector<SlotPair>& pairs);

} // namespace ZQ3
