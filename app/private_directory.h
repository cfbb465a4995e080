#pragma once

#include <cstdint>
#include <string>

namespace ZQ3 {

// A new folder of this command's own under the temporary directory, readable by nobody else
// (mode 0700), removed with everything in it when the command ends. Two converters, or two
// commands of one, never see each other's work files, and nobody can plant a link at a work
// file's name in advance.
//
// A process that is killed cannot remove its folder, so the folder says whose it is: it holds a
// lock file (LockFileName) that its process keeps locked (flock) for as long as it lives. A
// folder whose lock is free has been abandoned; RemoveAbandonedWorkFolders clears it away.
class CPrivateDirectory {
public:
    CPrivateDirectory();
    ~CPrivateDirectory();
    CPrivateDirectory(const CPrivateDirectory&) = delete;
    CPrivateDirectory& operator=(const CPrivateDirectory&) = delete;

    // False when the folder could not be made; then path() is empty.
    bool isValid() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    // path() + "/" + name.
    std::string file(const std::string& name) const;

    // The folders' names in the temporary directory: this prefix and six letters or digits.
    static constexpr const char* NamePrefix = "zq3-";
    static constexpr const char* LockFileName = "___ZQ3_WORK_FOLDER_LOCK___";

private:
    std::string path_;
    // The lock file, open and locked while the folder is in use.
    int lock_ = -1;
};

// Removes the work folders that killed converters left in the temporary directory, and nothing
// else: a folder there named like a work folder, owned by this user, not a link, whose lock file
// exists and is locked by nobody. A folder without a lock file (one just being made, or one of
// an older converter) is left alone, as is anything in it that is a folder. Nothing is reached
// through a link. Both programs call it as they start; answers how many folders were removed.
int RemoveAbandonedWorkFolders();

// Why a work file could not be written in the temporary directory that holds the work folders,
// after error (0 when the write did not say): a lack of space, which the error names or which
// a nearly full folder shows, is said with the folder's name, the bytes needed (bytesNeeded,
// when known) and those free, and what to do. Empty when the error is 0 and the folder has
// room: the work folder was then not the cause. Says nothing of the card.
std::string WorkFolderFailureDetail(int error, std::uint64_t bytesNeeded = 0);

} // namespace ZQ3
