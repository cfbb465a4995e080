#include "card/card_transaction.h"

#include "card/card_layout.h"
#include "card/file_transfer.h"
#include "card/temporary_names.h"

#include <cerrno>

namespace ZQ3 {

CCardTransaction::~CCardTransaction() {
    if (!committed_) {
        removeStaged();
    }
}

std::string CCardTransaction::directory() const {
    return CardLayout::CardDirectory(root_);
}

bool CCardTransaction::stage(const std::string& source, const std::string& temporaryName,
                             UL::IProgress* progress) {
    const std::string destination = directory() + temporaryName;
    // Listed first: a copy that fails half-way may leave part of the file.
    staged_.push_back(destination);
    // Only a leftover of our own can be there, as the card was recovered under the lock; a
    // folder or anything else that recovery left stays, and the change with it.
    obstacle_ = ExamineCardName(destination, fs_);
    if (obstacle_) {
        return false;
    }
    if (fs_.Unlink(destination) != 0 && errno != ENOENT) {
        obstacle_ = CardObstacle::Refused(destination, errno);
        return false;
    }
    if (progress != nullptr) {
        return FileTransfer::CopyWithProgress(source, destination, *progress,
                                              FileTransfer::Flush::ToDevice, fs_);
    }
    return FileTransfer::CopyAndUnlock(source, destination, FileTransfer::Flush::ToDevice, fs_);
}

void CCardTransaction::renameOnCommit(const std::string& temporaryName,
                                      const std::string& cardName) {
    steps_.push_back(JournalStep::Renaming(temporaryName, cardName));
}

void CCardTransaction::removeOnCommit(const std::string& cardName) {
    steps_.push_back(JournalStep::Removing(cardName));
}

bool CCardTransaction::namesAreFree() {
    const std::string folder = directory();
    for (const JournalStep& step : steps_) {
        for (const std::string* name : {&step.name, &step.newName}) {
            if (!name->empty()) {
                obstacle_ = ExamineCardName(folder + *name, fs_);
                if (obstacle_) {
                    return false;
                }
            }
        }
    }
    obstacle_ = ExamineCardName(folder + TemporaryNames::JournalFile, fs_);
    return !obstacle_;
}

CCardTransaction::Result CCardTransaction::commit() {
    // A committed change must be able to complete: a folder where a file is to be replaced or
    // removed would keep the card between two states, and a link must not be written through
    // or carried off by a rename.
    if (!namesAreFree()) {
        return Result::NotCommitted;
    }
    if (!CardJournal::Write(directory(), steps_, fs_)) {
        obstacle_ = CardObstacle::Refused(directory() + TemporaryNames::JournalFile, errno);
        // Whatever part of the journal reached the card must go before the staged files do, or
        // the next opening could carry out its removals without the files that replace them.
        const std::string journal = directory() + TemporaryNames::JournalFile;
        if (fs_.Unlink(journal) == 0 || errno == ENOENT) {
            return Result::NotCommitted;
        }
        // Whether that journal is whole decides the change when the card is opened next; until
        // then the staged files must stay.
        committed_ = true;
        return Result::Undecided;
    }
    committed_ = true;
    // A step that failed once (a busy or flaky device) is worth one more attempt before the
    // change is left to the next opening of the card.
    if (CardJournal::Apply(directory(), steps_, fs_, &obstacle_) ||
        CardJournal::Apply(directory(), steps_, fs_, &obstacle_)) {
        obstacle_ = {};
        return Result::Done;
    }
    return Result::Pending;
}

void CCardTransaction::removeStaged() {
    for (const std::string& path : staged_) {
        fs_.Unlink(path);
    }
    staged_.clear();
}

} // namespace ZQ3
