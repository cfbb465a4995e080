#include "card/card_transaction.h"

#include "card/card_layout.h"
#include "card/file_transfer.h"
#include "card/temporary_names.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>

namespace ZQ3 {

CCardTransaction::~CCardTransaction() {
    if (!committed_) {
        removeStaged();
    }
    if (folder_ >= 0) {
        fs_.Close(folder_);
    }
}

std::string CCardTransaction::directory() const {
    return CardLayout::CardDirectory(root_);
}

bool CCardTransaction::stage(const std::string& source, const std::string& temporaryName,
                             UL::IProgress* progress) {
    if (stageFile(source, temporaryName, progress)) {
        return true;
    }
    explainRefusal();
    return false;
}

void CCardTransaction::explainRefusal() {
    if (obstacle_.kind == CardObstacle::Kind::SystemError) {
        obstacle_ = ExplainedRefusal(root_, obstacle_.path, obstacle_.errorNumber, fs_);
    }
}

bool CCardTransaction::stageFile(const std::string& source, const std::string& temporaryName,
                                 UL::IProgress* progress) {
    const std::string destination = directory() + temporaryName;
    if (folder_ < 0) {
        folder_ = fs_.Open(directory(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
        if (folder_ < 0) {
            obstacle_ = CardObstacle::Refused(directory(), errno);
            return false;
        }
    }
    // Listed first: a copy that fails half-way may leave part of the file.
    staged_.push_back(destination);
    written_.emplace_back();
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
    const bool copied =
        progress != nullptr
            ? FileTransfer::CopyWithProgress(source, destination, *progress,
                                             FileTransfer::Flush::Later, fs_, &written_.back())
            : FileTransfer::CopyAndUnlock(source, destination, FileTransfer::Flush::Later, fs_,
                                          &written_.back());
    // A cancelled copy is the user's choice, not something in the way.
    if (!copied && errno != ECANCELED) {
        obstacle_ = CardObstacle::Refused(destination, errno);
    }
    return copied;
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
    const Result result = commitSteps();
    if (result != Result::Done) {
        explainRefusal();
    }
    return result;
}

CCardTransaction::Result CCardTransaction::commitSteps() {
    // A committed change must be able to complete: a folder where a file is to be replaced or
    // removed would keep the card between two states, and a link must not be written through
    // or carried off by a rename.
    if (!namesAreFree()) {
        return Result::NotCommitted;
    }
    // The journal's name must not reach the device before every staged file and its name have:
    // a journal that outlived them would rename broken files over the card's.
    if (!stagedFilesAreDurable()) {
        obstacle_ = CardObstacle::Refused(directory(), errno);
        return Result::NotCommitted;
    }
    if (readBack_ && !stagedFilesReadBack()) {
        return Result::NotCommitted;
    }
    std::optional<CCardHistory::CRecording> recording;
    if (history_ != nullptr && !recordHistory(recording)) {
        obstacle_ = {CardObstacle::Kind::HistoryNotWritten, history_->folder(), errno};
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
    // The change is committed: its entry counts from now. An entry that cannot be put in place
    // now only costs the undo of this change, not the change itself.
    if (recording) {
        recording->complete();
    }
    // A step that failed once (a busy or flaky device) is worth one more attempt before the
    // change is left to the next opening of the card.
    if (CardJournal::Apply(directory(), steps_, fs_, &obstacle_) ||
        CardJournal::Apply(directory(), steps_, fs_, &obstacle_)) {
        obstacle_ = {};
        return Result::Done;
    }
    return Result::Pending;
}

bool CCardTransaction::recordHistory(std::optional<CCardHistory::CRecording>& recording) {
    recording = history_->record(description_);
    if (!recording) {
        return false;
    }
    // What each name holds once every step is done: the staged file renamed onto it, or nothing.
    std::vector<std::pair<std::string, std::string>> finalSources;
    for (const JournalStep& step : steps_) {
        const bool renaming = step.kind == JournalStep::Kind::Rename;
        const std::string& name = renaming ? step.newName : step.name;
        const std::string source = renaming ? directory() + step.name : std::string();
        const auto known = std::find_if(finalSources.begin(), finalSources.end(),
                                        [&](const auto& item) { return item.first == name; });
        if (known == finalSources.end()) {
            finalSources.emplace_back(name, source);
        } else {
            known->second = source;
        }
    }
    for (const auto& [name, source] : finalSources) {
        if (!recording->addBefore(name, directory() + name, fs_) ||
            !recording->addAfter(name, source, fs_)) {
            return false;
        }
    }
    return recording->flush();
}

bool CCardTransaction::stagedFilesAreDurable() {
    if (folder_ < 0) {
        return true;
    }
    const bool durable = FileTransfer::SyncFilesTogether(folder_, staged_, fs_);
    const int failure = errno;
    // A removable file system may report a failed write only when the descriptor is closed.
    const bool closed = fs_.Close(folder_) == 0;
    folder_ = -1;
    if (!durable) {
        errno = failure;
    }
    return durable && closed;
}

bool CCardTransaction::stagedFilesReadBack() {
    for (std::size_t i = 0; i < staged_.size(); ++i) {
        CContentDigest readBack;
        if (!FileTransfer::DigestFromDevice(staged_[i], readBack, fs_)) {
            obstacle_ = CardObstacle::Refused(staged_[i], errno);
            return false;
        }
        if (!(readBack == written_[i])) {
            obstacle_ = {CardObstacle::Kind::ReadBackDiffers, staged_[i], 0};
            return false;
        }
    }
    return true;
}

void CCardTransaction::removeStaged() {
    for (const std::string& path : staged_) {
        fs_.Unlink(path);
    }
    staged_.clear();
    written_.clear();
}

} // namespace ZQ3
