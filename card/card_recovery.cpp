#include "card/card_recovery.h"

#include "card/card_journal.h"
#include "card/card_layout.h"
#include "card/file_transfer.h"
#include "card/temporary_names.h"

#include <cerrno>
#include <vector>

namespace ZQ3 {
namespace {

bool IsWriteRefusal(int error) {
    return error == EROFS || error == EACCES || error == EPERM;
}

bool HasTemporaryPrefix(const std::string& name) {
    return name.rfind(TemporaryNames::Prefix, 0) == 0;
}

// Removes every file an unfinished change left; true when any was removed.
bool RemoveLeftovers(const std::string& directory, IFileSystem& fs) {
    std::vector<std::string> names;
    if (!fs.ListDirectory(directory, names)) {
        return false;
    }
    bool removed = false;
    for (const std::string& name : names) {
        // unlink removes a link rather than what it leads to, and refuses a directory.
        if (HasTemporaryPrefix(name) && fs.Unlink(directory + name) == 0) {
            removed = true;
        }
    }
    return removed;
}

} // namespace

RecoveryResult RecoverCard(const std::string& root, IFileSystem& fs, CardObstacle* obstacle) {
    const std::string directory = CardLayout::CardDirectory(root);
    std::vector<JournalStep> steps;
    CardJournal::ReadResult read = CardJournal::Read(directory, steps, fs);
    CardObstacle foreign;
    if (read == CardJournal::ReadResult::Valid &&
        !CardJournal::MovesOnlyRegularFiles(directory, steps, fs, &foreign)) {
        if (foreign.kind == CardObstacle::Kind::SystemError) {
            // Whether the journal is ours cannot be told now; it stays for the next attempt.
            if (obstacle != nullptr) {
                *obstacle = std::move(foreign);
            }
            return RecoveryResult::Failed;
        }
        read = CardJournal::ReadResult::Invalid;
    }
    switch (read) {
    case CardJournal::ReadResult::Valid: {
        if (IsReadOnlyVolume(directory, fs)) {
            return RecoveryResult::PendingOnReadOnlyCard;
        }
        CardObstacle failure;
        if (!CardJournal::Apply(directory, steps, fs, &failure)) {
            const bool refused = failure.kind == CardObstacle::Kind::SystemError &&
                                 IsWriteRefusal(failure.errorNumber);
            if (obstacle != nullptr) {
                *obstacle = std::move(failure);
            }
            return refused ? RecoveryResult::PendingOnReadOnlyCard : RecoveryResult::Failed;
        }
        // The change's temporary files are all renamed now; anything else with the prefix is
        // older rubbish.
        if (RemoveLeftovers(directory, fs)) {
            (void)FileTransfer::SyncDirectory(directory, fs);
        }
        return RecoveryResult::Finished;
    }
    case CardJournal::ReadResult::Unreadable:
        return RecoveryResult::JournalUnreadable;
    case CardJournal::ReadResult::Absent:
    case CardJournal::ReadResult::Invalid:
        // A journal cut short never committed its change: it goes with the other leftovers.
        break;
    }
    if (!IsReadOnlyVolume(directory, fs) && RemoveLeftovers(directory, fs)) {
        (void)FileTransfer::SyncDirectory(directory, fs);
    }
    return RecoveryResult::Clean;
}

} // namespace ZQ3
