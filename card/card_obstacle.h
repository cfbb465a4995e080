#pragma once

#include "card/file_system.h"
#include "sl/files/descriptor_stream.h"

#include <memory>

#include <string>

namespace ZQ3 {

// Something at a name the card uses that keeps a change of the card from going ahead: a folder,
// a symbolic link, a FIFO, a device or a socket where the converter replaces, removes or creates
// a regular file, or a name the system would not let the converter examine or change.
struct CardObstacle {
    enum class Kind {
        None,
        Folder,
        SymbolicLink,
        Fifo,
        Device,
        Socket,
        Other,
        // The system refused to examine or change the name; see errorNumber.
        SystemError,
        // The file staged at the name, read back from the device, is not what was written:
        // the card or its reader corrupts data.
        ReadBackDiffers,
        // The system refused to write at the name because the card is mounted read-only (a
        // card whose write-protect switch is on is mounted so) or may not be written.
        ReadOnlyCard,
        // The card ran out of space while the name was written.
        CardFull,
        // The card went away (pulled out, or its reader unplugged) while the name was used.
        CardRemoved,
        // The history that lets the change be undone could not be written at the path (a
        // folder on the computer): the change was not made. See errorNumber.
        HistoryNotWritten,
    };

    Kind kind = Kind::None;
    // The full path of the name.
    std::string path;
    int errorNumber = 0;

    explicit operator bool() const { return kind != Kind::None; }

    static CardObstacle Refused(std::string path, int errorNumber) {
        return {Kind::SystemError, std::move(path), errorNumber};
    }
};

// Whether the file system that holds path is mounted read-only, as a card is whose
// write-protect switch is on.
bool IsReadOnlyVolume(const std::string& path, IFileSystem& fs);

// What the system's refusal (errorNumber) at path, a name in the card at root, means for the
// user: a read-only card, a full one or one that is gone, where the error and the card's folder
// say so, with root as the path; otherwise Kind::SystemError at path. A card is taken for gone
// on an error that only a missing device gives, or on one a vanished folder gives once the
// card's folder no longer answers either.
CardObstacle ExplainedRefusal(const std::string& root, std::string path, int errorNumber,
                              IFileSystem& fs);

// What stands at path when the card needs a regular file there or nothing at all, examined
// without following a link; Kind::None for a regular file or a free name.
CardObstacle ExamineCardName(const std::string& path, IFileSystem& fs);

// The kind of item an lstat mode names: None for a regular file.
CardObstacle::Kind ObstacleKindOfMode(mode_t mode);

// Opens the regular file at path for reading, for the files of a card: a symbolic link is never
// followed (its target may lie anywhere), and a FIFO or device is refused without waiting on it.
// Empty, with errno set, when the file does not open so: ELOOP for a link, EINVAL for anything
// else that is not a regular file.
std::shared_ptr<SL::CDescriptorStream> OpenCardFileForReading(const std::string& path);

} // namespace ZQ3
