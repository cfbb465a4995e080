#pragma once

#include "card/card_journal.h"
#include "card/file_system.h"

#include <string>
#include <vector>

namespace UL {
class IProgress;
}

namespace ZQ3 {

// One change of a card, all or nothing. The new files are staged on the card under temporary
// names; commit then writes the journal that names the steps left (renames over the final
// names, removals) and carries them out. Until the journal is durable the card still reads as
// before; from then on the change completes, now or when the card is opened next.
//
// The caller holds the card's lock and has recovered the card, so the temporary names are free.
// A transaction that is dropped uncommitted removes what it staged.
class CCardTransaction {
public:
    CCardTransaction(std::string root, IFileSystem& fs) : root_(std::move(root)), fs_(fs) {}
    ~CCardTransaction();
    CCardTransaction(const CCardTransaction&) = delete;
    CCardTransaction& operator=(const CCardTransaction&) = delete;

    // Copies source into the card directory as temporaryName and flushes it, reporting the
    // copy on progress when there is one (and stopping when it is cancelled).
    bool stage(const std::string& source, const std::string& temporaryName,
               UL::IProgress* progress);

    // Steps of the commit, in order: a staged file takes a card file's name, replacing what was
    // there; a card file is removed (a missing one is no error).
    void renameOnCommit(const std::string& temporaryName, const std::string& cardName);
    void removeOnCommit(const std::string& cardName);

    enum class Result {
        // The card holds the new state.
        Done,
        // Nothing was committed: the card holds the old state.
        NotCommitted,
        // The steps could not all be carried out now: the change is settled when the card is
        // opened next, completed if its journal reached the card whole.
        Pending,
    };
    Result commit();

private:
    std::string directory() const;
    void removeStaged();

    std::string root_;
    IFileSystem& fs_;
    std::vector<std::string> staged_;
    std::vector<JournalStep> steps_;
    bool committed_ = false;
};

} // namespace ZQ3
