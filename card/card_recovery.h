#pragma once

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
    // A committed change could not be completed; errno says why.
    Failed,
    // Whether a change is waiting could not be told: the journal could not be read; errno says
    // why.
    JournalUnreadable,
};

// Brings the card at root back to a whole state after whatever a converter left on it: a
// committed change is completed, anything else the converter had begun is removed. The caller
// holds the card's lock.
RecoveryResult RecoverCard(const std::string& root, IFileSystem& fs = PosixFileSystem());

} // namespace ZQ3
