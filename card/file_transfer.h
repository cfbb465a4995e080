#pragma once

#include "card/content_digest.h"
#include "card/file_system.h"
#include "sl/files/open_failure.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace UL {
class IProgress;
}

namespace ZQ3 {

// The small file-system steps with which the commands move finished files into place. Paths use
// "/" as separator; every step reports success as its result and shows nothing itself. A path
// holding a NUL byte names no file at all and fails every step, rather than acting on the
// shorter path the system would see. Every step works through fs, the machine's file system unless
// the caller gives another.
namespace FileTransfer {

// Whether a copy is written through to the device before it counts as done. A removable card
// keeps written data in the computer's cache until it is flushed, so a card pulled out after an
// unflushed copy may hold a broken file.
enum class Flush {
    No,
    // The data and the file's directory entry reach the device; a failed flush fails the copy.
    ToDevice,
    // The data is sent on its way to the device while it is copied, but the copy is not
    // flushed: the caller makes it durable later, together with others (SyncFilesTogether).
    Later,
};

// An absolute path ("/..."), the only kind the commands accept for files the user names.
bool IsAbsolutePath(const std::string& path);

// True when path is absolute and names an existing item that is not a directory. A symbolic
// link counts as the item it leads to, and a link that leads nowhere as an existing item.
bool Exists(const std::string& path, IFileSystem& fs = PosixFileSystem());
// True when path is absolute and names an existing directory.
bool DirectoryExists(const std::string& path, IFileSystem& fs = PosixFileSystem());

// Deletes the file (not a directory).
bool Remove(const std::string& path, IFileSystem& fs = PosixFileSystem());

// Moves the file to newPath, which must not exist: an existing item there makes the move fail
// rather than be replaced, decided by the file system in the same step as the move.
bool Rename(const std::string& oldPath, const std::string& newPath,
            IFileSystem& fs = PosixFileSystem());

// Puts the temporary file in place of destination, which may exist. Either the old or the new
// file stays at the destination, never neither; the new data reaches the device before it takes
// the destination's name, and the name change is flushed too. When only that last flush fails
// the new file is in place, but the result is false: the device reported an error. A regular
// file replaced hands its permission bits, and its owner and group where this user may give
// them, to the new file: replacing a private file never makes it readable by others.
bool Replace(const std::string& temporaryPath, const std::string& destination,
             IFileSystem& fs = PosixFileSystem());

// Copies source (a regular file) to destination, which must not exist yet: the copy is always a
// new file, never written through a link or into a file someone else placed at the name. The
// copy is made writable by its owner; the result is the copy's. A failed copy removes the
// incomplete destination.
// When digest is given, it takes in every byte written.
bool CopyAndUnlock(const std::string& source, const std::string& destination, Flush flush,
                   IFileSystem& fs = PosixFileSystem(), CContentDigest* digest = nullptr);

// The copy of CopyAndUnlock without the unlock, reporting progress in thousandths: the range
// becomes 1000 and the position follows the bytes copied, reaching 1000 when the copy is done.
// The progress is asked after every chunk whether it was cancelled; a cancelled copy removes
// what it wrote and returns false.
bool CopyWithProgress(const std::string& source, const std::string& destination,
                      UL::IProgress& progress, Flush flush, IFileSystem& fs = PosixFileSystem(),
                      CContentDigest* digest = nullptr);

// Makes the entries of directory durable on the device: after a rename or remove there, the
// change survives the card being pulled out.
bool SyncDirectory(const std::string& directory, IFileSystem& fs = PosixFileSystem());
// SyncDirectory of the directory that holds path.
bool SyncContainingDirectory(const std::string& path, IFileSystem& fs = PosixFileSystem());

// Makes the files at paths, all in the directory open at directoryFd, durable together with
// their names: one flush of the whole file system and then one of the directory, whatever the
// number of files. Where that flush may not reach the device (a FUSE file system need not pass it
// on) or fails, each file is flushed, then the directory. The directory is best opened before
// the files are written, as the flush of the whole file system reports only write-outs that
// failed since.
bool SyncFilesTogether(int directoryFd, const std::vector<std::string>& paths,
                       IFileSystem& fs = PosixFileSystem());

// The digest of the regular file at path (never reached through a link), read from the device
// rather than from the computer's cache where the system allows: the file must be durable
// already, so that its cached pages are clean and can be dropped. False, with errno set, when it
// cannot be opened or read.
bool DigestFromDevice(const std::string& path, CContentDigest& digest,
                      IFileSystem& fs = PosixFileSystem());

// True when path is absolute, does not end in "/", and either nothing exists there or the item
// there (or the one a link there leads to) is a regular file that is not read-only: a device, a
// FIFO, a socket or a directory is never replaced by an export. Read-only means that its mode has
// no write bit at all, whoever asks: the superuser, who could write anyway, is refused like
// everybody else.
bool WritableDestination(const std::string& path, IFileSystem& fs = PosixFileSystem());

// What stands in the way of writing a file at a destination, as far as can be seen before
// anything is written.
struct DestinationCheck {
    enum class Problem {
        None,
        // Not an absolute path, or one that ends in "/" without naming a folder.
        NotAFileName,
        // The name or its folder could not be examined: an I/O error, a folder not searchable.
        CannotExamine,
        // The folder the file would go into does not exist, or is no folder.
        FolderMissing,
        // The folder refuses new files: no write permission, or a read-only file system.
        FolderNotWritable,
        // A folder, device, FIFO or socket is at the name; see kind.
        NotRegularFile,
        // A regular file without any write bit is at the name.
        ReadOnlyFile,
    };

    Problem problem = Problem::None;
    SL::CFileKind kind = SL::CFileKind::Regular;
};

// Everything WritableDestination refuses, with the reason, and besides that the folder the file
// goes into: it must exist and take new files, since the file is written beside the destination
// under a temporary name first. None exactly when writing may begin.
DestinationCheck ExamineDestination(const std::string& path, IFileSystem& fs = PosixFileSystem());

// The directory for temporary files without a trailing "/": TMPDIR when it is an absolute path
// to a directory, else "/tmp", else the program directory.
std::string TemporaryDirectory();

// What the volume holding a path tells of its room, measured at the nearest existing directory
// at or above the path, so that a card folder still to be made is measured on the card.
struct VolumeSpace {
    // The bytes available to this user; nothing when the volume does not say. Some FAT drivers
    // report no blocks at all: their free space is unknown, not zero, and a full volume is then
    // found by the write itself.
    std::optional<std::uint64_t> freeBytes;
    // The unit in which the volume hands out room: every file takes a whole number of them (a
    // FAT cluster is 16 to 64 KiB). 1 when the volume does not say.
    std::uint64_t allocationUnit = 1;

    // The room a file of fileBytes takes there: its size rounded up to whole units.
    std::uint64_t bytesTaken(std::uint64_t fileBytes) const;
};
VolumeSpace MeasureVolume(const std::string& path, IFileSystem& fs = PosixFileSystem());

// MeasureVolume's free bytes alone.
std::optional<std::uint64_t> FreeSpace(const std::string& path,
                                       IFileSystem& fs = PosixFileSystem());

// The directory of the running program file, found once and kept.
const std::string& ProgramDirectory();

} // namespace FileTransfer
} // namespace ZQ3
