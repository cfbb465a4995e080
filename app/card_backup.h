#pragma once

#include "card/card_lock.h"
#include "card/card_obstacle.h"
#include "card/file_system.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace UL {
class IProgress;
}

namespace ZQ3 {

// A byte-exact copy of the files the converter keeps in a card's folder (the information file
// and every channel file), in one plain tar archive with a manifest of their sizes and digests;
// and the way back, which makes the card hold exactly those files again.

// What was wrong with an archive that is not a whole backup of a card.
enum class BackupDefect {
    None,
    // Not a tar archive, or one cut short or damaged in its structure.
    NotAnArchive,
    NoManifest,
    // The manifest does not read (its line at fault is the detail).
    BadManifest,
    // An entry whose name is not one of a card folder's files (a path outside it, "../x").
    UnexpectedEntry,
    // An entry that is a link, a folder or anything else but a regular file.
    NotARegularFile,
    // A name that comes twice.
    RepeatedEntry,
    // An entry larger than any card file, or without a size.
    TooLarge,
    // A file the manifest does not list, or one it lists that is not there.
    NotInManifest,
    MissingFile,
    // A file whose bytes are not those the manifest gives: their number or their digest.
    SizeDiffers,
    DigestDiffers,
};

struct CardBackupResult {
    enum class Problem {
        None,
        // The card: not a card (no converter folder or information file), busy with another
        // converter, or an interrupted change on it could not be settled (obstacle says why).
        NoCard,
        Busy,
        NotRecovered,
        // A file of the card folder (file) is not a regular file or could not be read (error).
        CardFileUnreadable,
        // The archive (archive) exists and was not to be replaced.
        ArchiveExists,
        // The archive could not be written or read: error, or detail from the archive library.
        CannotWriteArchive,
        CannotReadArchive,
        // The archive is not a whole backup: defect, with the entry named by file.
        BadArchive,
        // Cancel came before the change was committed: the card and the archive's place are as
        // they were.
        Cancelled,
        // The user did not want the card replaced.
        Declined,
        // The card's change could not be written (obstacle or error), or it is recorded but
        // waits for the card's next opening, or whether it reached the card cannot be told.
        CannotWriteCard,
        Pending,
        Undecided,
    };
    Problem problem = Problem::None;
    BackupDefect defect = BackupDefect::None;
    // Whether the result is a restore's rather than a backup's.
    bool restore = false;
    std::string card;
    std::string archive;
    // The card file or archive entry concerned.
    std::string file;
    std::string detail;
    CardObstacle obstacle;
    int error = 0;
    // Files and bytes backed up or restored.
    int files = 0;
    std::uint64_t bytes = 0;
};

struct CardBackupOptions {
    // A backup replaces an archive already at its path only when this says so.
    bool replaceExisting = false;
    // Whether a restore reads its files back from the card before it commits.
    bool readBack = true;
    // Whether a restore is kept in the card's history on this computer, so that it can be undone.
    bool recordHistory = false;
    CardLockWaiting waiting;
    // Shows how far the work has come and offers Cancel; may be null.
    UL::IProgress* progress = nullptr;
    // Asked by a restore once the whole backup has checked out, under the card's lock, with the
    // slots that hold a sample on the card now (every one of them gives way to the backup's);
    // false declines. Unset, the restore goes ahead.
    std::function<bool(const std::vector<int>& occupiedSlots)> confirmRestoring;
};

// Writes the card folder's files at root and their manifest into a new tar archive at
// archivePath. The archive is written under a temporary name beside archivePath (created new,
// never through a link), flushed and only then given its name, so that an interrupted backup
// leaves no archive and never half of one. Reads the card under its lock.
CardBackupResult BackUpCard(const std::string& root, const std::string& archivePath,
                            const CardBackupOptions& options, IFileSystem& fs = PosixFileSystem());

// Checks every entry of the archive at archivePath against its manifest, refusing it before
// anything is written when one differs, then makes the card folder at root hold exactly the
// backup's files, in one change of the card: each file of the backup staged, each card file the
// backup does not have removed.
CardBackupResult RestoreCard(const std::string& root, const std::string& archivePath,
                             const CardBackupOptions& options, IFileSystem& fs = PosixFileSystem());

} // namespace ZQ3
