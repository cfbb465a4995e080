#pragma once

#include "card/card_obstacle.h"
#include "card/file_system.h"

#include <string>

namespace ZQ3 {

enum class RecoveryResult {
    // Nothing was left over, or only temporary files, now removed.
    Clean,
    // An interrupted change was completed.
    Finished,
    // A committed change is waiting, but the card cannot be written: it reads as neither the old
    // nor the new state until it is opened writable.
    PendingOnReadOnlyCard,
    // A committed change could not be completed; the obstacle says what is in the way.
    Failed,
    // Whether a change is waiting could not be told: the journal could not be read; errno says
    // why.
    JournalUnreadable,
};

// Brings the card at root back to a whole state after whatever a converter left on it: a
// committed change is completed, anything else the converter had begun is removed. A journal
// that would move anything but a regular file onto a card name was not written by a converter:
// it is removed with the other leftovers and none of its steps is carried out. The caller holds
// the card's lock and has found the folder to be a card. When a change cannot be completed,
// obstacle (when given) says what is in the way.
RecoveryResult RecoverCard(const std::string& root, IFileSystem& fs = PosixFileSystem(),
                           CardObstacle* obstacle = nullptr);

} // namespace ZQ3
