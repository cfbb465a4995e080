#pragma once

#include "card/card_check.h"
#include "card/card_lock.h"
#include "card/card_obstacle.h"
#include "card/file_system.h"
#include "card/sample_entry.h"

#include <functional>
#include <string>
#include <vector>

namespace ZQ3 {

// What a repair does to one slot whose record or channel files do not agree.
struct SlotRepair {
    enum class Action {
        // A new record from the slot's channel files: their size gives the frame count, the
        // import's defaults and tempo rule the rest.
        Rebuilt,
        // Nothing usable is left: the record becomes empty and the slot's files go.
        Emptied,
    };
    int slot = 0;
    Action action = Action::Emptied;
};

// What a repair of a checked card will do. Every valid pad whose files agree with it is kept
// as it is.
struct CardRepairPlan {
    // The 128 entries of the repaired card.
    std::vector<SampleEntry> entries;
    // The slots that change, in slot order.
    std::vector<SlotRepair> slotRepairs;
    // Channel files that go, by their names in the card folder: files no record uses, a right
    // file a mono pad does not use, the files of emptied slots.
    std::vector<std::string> removals;
    // Whether the information file is written anew; the old one, where there is one, is kept.
    bool rewritesInformationFile = false;

    bool NothingToDo() const {
        return slotRepairs.empty() && removals.empty() && !rewritesInformationFile;
    }
};

// Plans the repair of a card from its check. A slot whose record is valid and agrees with its
// files is kept. Any other slot is rebuilt from its left file when that is a regular file of
// whole frames (as a lo-fi sample when its valid record says so; stereo when a right file of the
// same size is there, mono otherwise), or else emptied.
CardRepairPlan PlanCardRepair(const CardCheck& check);

// The name, in the card's KELDRA folder, under which a repair keeps the information file it
// replaces: "WVCINFO0.ZQD.bad-" followed by the local date and time, e.g.
// "WVCINFO0.ZQD.bad-2026-12-09-141502".
std::string KeptInformationFileName(std::time_t when);

// What a repair came to.
struct CardRepairing {
    enum class Problem {
        None,
        // KELDRA/ZQ314 is missing or is not a folder.
        NoCardFolder,
        // Another converter is changing the card and did not finish in time, or the wait was
        // cancelled.
        Busy,
        // An interrupted change could not be settled first; obstacle says why.
        NotRecovered,
        // The user did not confirm the plan: nothing changed.
        Declined,
        // The old information file could not be kept, or the change could not be written;
        // error or obstacle says why. Nothing changed.
        CannotWrite,
        // The change is committed but waits for the card's next opening, or it cannot be told
        // whether it reached the card.
        Pending,
        Undecided,
    };
    Problem problem = Problem::None;
    CardCheck check;
    CardRepairPlan plan;
    // Where the replaced information file was kept, inside the card's KELDRA folder.
    std::string keptInformationFile;
    CardObstacle obstacle;
    int error = 0;
};

// Checks the card at root under its lock, after settling whatever an interrupted change left,
// and, when there is something to repair and confirm (given the check and the plan) answers
// true, repairs it in one card transaction: every file a repair replaces or removes is changed
// together or not at all. The replaced information file is first copied, new, into the card's
// KELDRA folder under KeptInformationFileName.
CardRepairing
RepairCard(const std::string& root,
           const std::function<bool(const CardCheck&, const CardRepairPlan&)>& confirm,
           const CardLockWaiting& waiting = {}, IFileSystem& fs = PosixFileSystem());

} // namespace ZQ3
