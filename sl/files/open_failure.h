#pragma once

#include <string>
#include <sys/types.h>

namespace SL {

// What a name in the file system leads to.
enum class CFileKind {
    Regular,
    Directory,
    Fifo,
    CharacterDevice,
    BlockDevice,
    Socket,
    Other,
};

// The kind of an item from the mode that stat gave.
CFileKind FileKindOfMode(mode_t mode);

// Why an existing file could not be opened for reading as CFileDataSource opens it: opening
// gives only a yes or no, and the user needs to hear which of these it was.
struct COpenFailure {
    enum class CReason {
        // The file opens after all (it appeared in between); nothing to explain.
        None,
        NoSuchFile,
        // A folder, FIFO, device or socket: never opened as a sample file; see kind.
        NotRegularFile,
        PermissionDenied,
        // Anything else the system refused with; see errorNumber.
        Other,
    };

    CReason reason = CReason::None;
    CFileKind kind = CFileKind::Regular;
    int errorNumber = 0;
};

// Examines path after an open for reading failed. A FIFO or device is examined without being
// opened, so the examination never blocks.
COpenFailure ExplainOpenFailure(const std::string& path);

} // namespace SL
