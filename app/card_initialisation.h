#pragma once

#include "card/card_lock.h"
#include "card/file_system.h"

#include <string>
#include <vector>

namespace ZQ3 {

// What preparing a folder as a card came to.
struct CardInitialisation {
    enum class Problem {
        None,
        // The folder to prepare does not exist or is no folder.
        NoSuchFolder,
        // A sample-information file (or something else) is already at its name: nothing changed.
        AlreadyACard,
        // The converter's folder could not be made, or something that is no folder is in its way.
        CannotMakeFolder,
        // Another converter is changing the card and did not finish in time, or the wait was
        // cancelled.
        Busy,
        // Something that is not a regular file holds the name the new file is written under.
        InTheWay,
        // The new file could not be written or put in place; error says why.
        CannotWrite,
    };

    Problem problem = Problem::None;
    // The path the problem is about; the new information file once it is made.
    std::string path;
    // The system's error number, where one caused the problem.
    int error = 0;
    // The folders made on the way to the card's root when it did not exist, outermost first.
    std::vector<std::string> madeFolders;

    // The problem as one sentence for the user, naming the path; empty when there is none.
    std::string text() const;
};

// Makes root's KELDRA/ZQ314/ folder and in it an information file of empty slots; a root that
// does not exist is made first, with every folder missing on its way. Nothing that exists is
// overwritten, and no file system feature beyond creating and renaming files is
// needed, so that a FAT or exFAT card, which knows no links, is prepared as any other: the file
// is written new under a temporary name, flushed, and renamed into place under the card's lock,
// which keeps every other converter from making one meanwhile.
CardInitialisation InitialiseCard(const std::string& root, const CardLockWaiting& waiting = {},
                                  IFileSystem& fs = PosixFileSystem());

} // namespace ZQ3
