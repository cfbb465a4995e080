#pragma once

#include "card/card_history.h"
#include "card/card_journal.h"
#include "card/card_obstacle.h"
#include "card/content_digest.h"
#include "card/file_system.h"

#include <optional>
#include <string>
#include <vector>

namespace UL {
class IProgress;
}

namespace ZQ3 {

// One change of a card, all or nothing. The new files are staged on the card under temporary
// names; commit makes them durable together, then writes the journal that names the steps left
// (renames over the final names, removals) and carries them out. Until the journal is durable
// the card still reads as before; from then on the change completes, now or when the card is
// opened next. The flushes a change costs do not grow with the number of its files.
//
// The caller holds the card's lock and has recovered the card, so the temporary names are free.
// A transaction that is dropped uncommitted removes what it staged.
class CCardTransaction {
public:
    CCardTransaction(std::string root, IFileSystem& fs) : root_(std::move(root)), fs_(fs) {}
    ~CCardTransaction();
    CCardTransaction(const CCardTransaction&) = delete;
    CCardTransaction& operator=(const CCardTransaction&) = delete;

    // Copies source into the card directory as temporaryName, reporting the copy on progress when
    // there is one (and stopping when it is cancelled). Anything but a regular file at
    // temporaryName is left alone and refused, as obstacle() then says. The copy is flushed by
    // commit.
    bool stage(const std::string& source, const std::string& temporaryName,
               UL::IProgress* progress);

    // Whether commit reads every staged file back from the device, once it is durable, and
    // compares it with its source before the journal is written: a card or card reader that
    // corrupts data then abandons the change instead of committing it. On unless turned off.
    void setReadBack(bool readBack) { readBack_ = readBack; }

    // Keeps the change in history, described so, before it commits: the card files it replaces
    // or removes and those it writes, with their digests, so that it can be undone and redone.
    // A history that cannot be written leaves the change uncommitted (obstacle() says so):
    // a change that was promised to be undoable must not go ahead without its way back.
    void recordIn(CCardHistory& history, ChangeDescription description) {
        history_ = &history;
        description_ = std::move(description);
    }

    // Steps of the commit, in order: a staged file takes a card file's name, replacing what was
    // there; a card file is removed (a missing one is no error).
    void renameOnCommit(const std::string& temporaryName, const std::string& cardName);
    void removeOnCommit(const std::string& cardName);

    enum class Result {
        // The card holds the new state.
        Done,
        // Nothing was committed: the card holds the old state.
        NotCommitted,
        // The journal is on the card, but its steps could not all be carried out now: the
        // change is completed when the card is opened next.
        Pending,
        // The journal could neither be finished nor taken back: whether it reached the card
        // whole, and so whether the next opening completes the change or drops it, cannot be
        // told.
        Undecided,
    };
    // Before the journal is written, every name the steps replace or remove, every staged file
    // and the journal's own name must hold a regular file or nothing: anything else is refused
    // (NotCommitted) and named by obstacle(). A staged file that cannot be flushed leaves the
    // change uncommitted too.
    Result commit();

    // What stopped the last stage or commit: the item in the way, or the name at which the
    // system refused; Kind::None when that is not known.
    const CardObstacle& obstacle() const { return obstacle_; }

private:
    std::string directory() const;
    bool stageFile(const std::string& source, const std::string& temporaryName,
                   UL::IProgress* progress);
    Result commitSteps();
    // A refusal by the system becomes what it means for the user where the error tells: a
    // read-only, full or removed card.
    void explainRefusal();
    void removeStaged();
    // The first name of the steps, or the journal's, that holds something other than a regular
    // file, into obstacle_; false when there is one.
    bool namesAreFree();
    // Every staged file, data and name, durable on the device; false with errno set when not.
    bool stagedFilesAreDurable();
    // Every staged file, read back from the device, equals its source; when one does not, or
    // cannot be read, obstacle_ names it.
    bool stagedFilesReadBack();

    // Copies what the steps replace, remove and write into a new entry of history_; false with
    // errno when the entry cannot be written whole.
    bool recordHistory(std::optional<CCardHistory::CRecording>& recording);

    std::string root_;
    IFileSystem& fs_;
    CCardHistory* history_ = nullptr;
    ChangeDescription description_;
    std::vector<std::string> staged_;
    // What was written to each staged file, by its index.
    std::vector<CContentDigest> written_;
    bool readBack_ = true;
    // The card directory, opened before the first file is staged, so that the flush of the
    // whole file system at commit reports any write-out of a staged file that failed.
    int folder_ = -1;
    std::vector<JournalStep> steps_;
    bool committed_ = false;
    CardObstacle obstacle_;
};

} // namespace ZQ3
