#include "app/private_directory.h"

#include "app/localized_text.h"
#include "app/quantity_text.h"

#include "card/file_transfer.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace ZQ3 {
namespace {

// The lock file is made under this name, locked, and only then given LockFileName: a folder
// whose lock file is there is locked from the first moment, so that a sweep by another
// converter can never take a folder being made for an abandoned one.
constexpr const char* UnlockedLockFileName = "___ZQ3_WORK_FOLDER_LOCK___NEW";

// Closes on every path out.
class CFd {
public:
    explicit CFd(int fd) : fd_(fd) {}
    ~CFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

int MakeLockedLockFile(const std::string& folder) {
    const std::string fresh = folder + "/" + UnlockedLockFileName;
    CFd lock(::open(fresh.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!lock.isOpen() || ::flock(lock.get(), LOCK_EX | LOCK_NB) != 0 ||
        ::rename(fresh.c_str(), (folder + "/" + CPrivateDirectory::LockFileName).c_str()) != 0) {
        return -1;
    }
    return lock.release();
}

bool IsWorkFolderName(const char* name) {
    const std::size_t prefix = std::strlen(CPrivateDirectory::NamePrefix);
    if (std::strncmp(name, CPrivateDirectory::NamePrefix, prefix) != 0 ||
        std::strlen(name) != prefix + 6) {
        return false;
    }
    for (const char* at = name + prefix; *at != '\0'; ++at) {
        if (std::isalnum(static_cast<unsigned char>(*at)) == 0) {
            return false;
        }
    }
    return true;
}

bool SameItem(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The names in the folder open at fd, "." and ".." left out.
std::vector<std::string> NamesIn(int fd) {
    std::vector<std::string> names;
    const int listed = ::dup(fd);
    if (listed < 0) {
        return names;
    }
    DIR* directory = ::fdopendir(listed);
    if (directory == nullptr) {
        ::close(listed);
        return names;
    }
    while (const dirent* entry = ::readdir(directory)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            names.emplace_back(entry->d_name);
        }
    }
    ::closedir(directory);
    return names;
}

// Removes the folder name in the temporary directory open at parent when it is an abandoned
// work folder of this user's.
bool RemoveIfAbandoned(int parent, const char* name) {
    struct stat seen {};
    if (::fstatat(parent, name, &seen, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(seen.st_mode) ||
        seen.st_uid != ::geteuid()) {
        return false;
    }
    CFd folder(::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat opened {};
    if (!folder.isOpen() || ::fstat(folder.get(), &opened) != 0 || !SameItem(seen, opened)) {
        return false;
    }
    CFd lock(::openat(folder.get(), CPrivateDirectory::LockFileName,
                      O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat lockStatus {};
    if (!lock.isOpen() || ::fstat(lock.get(), &lockStatus) != 0 || !S_ISREG(lockStatus.st_mode) ||
        lockStatus.st_uid != ::geteuid()) {
        return false;
    }
    // Its process holds the lock while it lives; a free lock is now this sweep's, so that two
    // sweeps never clear one folder at once.
    if (::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
        return false;
    }
    // The folder is flat: files, never folders, of the converter's own. One holding a folder
    // was not made by the converter, and is left whole.
    const std::vector<std::string> entries = NamesIn(folder.get());
    for (const std::string& entry : entries) {
        struct stat status {};
        if (::fstatat(folder.get(), entry.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
            S_ISDIR(status.st_mode)) {
            return false;
        }
    }
    // unlinkat removes a link itself, never what it leads to.
    for (const std::string& entry : entries) {
        if (entry != CPrivateDirectory::LockFileName) {
            (void)::unlinkat(folder.get(), entry.c_str(), 0);
        }
    }
    (void)::unlinkat(folder.get(), CPrivateDirectory::LockFileName, 0);
    return ::unlinkat(parent, name, AT_REMOVEDIR) == 0;
}

} // namespace

CPrivateDirectory::CPrivateDirectory() {
    std::string pattern = FileTransfer::TemporaryDirectory() + "/" + NamePrefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // mkdtemp makes the folder new, with mode 0700, or fails.
    if (::mkdtemp(name.data()) == nullptr) {
        return;
    }
    path_ = name.data();
    lock_ = MakeLockedLockFile(path_);
    if (lock_ < 0) {
        // A folder nobody could tell from an abandoned one is not used at all.
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        path_.clear();
    }
}

CPrivateDirectory::~CPrivateDirectory() {
    if (!path_.empty()) {
        // remove_all removes links themselves, never what they lead to.
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    // Released only once the folder is gone.
    if (lock_ >= 0) {
        ::close(lock_);
    }
}

std::string CPrivateDirectory::file(const std::string& name) const {
    return path_ + "/" + name;
}

int RemoveAbandonedWorkFolders() {
    CFd parent(
        ::open(FileTransfer::TemporaryDirectory().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent.isOpen()) {
        return 0;
    }
    int removed = 0;
    for (const std::string& name : NamesIn(parent.get())) {
        if (IsWorkFolderName(name.c_str()) && RemoveIfAbandoned(parent.get(), name.c_str())) {
            ++removed;
        }
    }
    return removed;
}

std::string WorkFolderFailureDetail(int error, std::uint64_t bytesNeeded) {
    // Less than this left after a failed write means the write ran out of room, whatever the
    // error said: a work file is written in blocks of about this size.
    constexpr std::uint64_t kNearlyFull = 1024 * 1024;
    const std::string folder = FileTransfer::TemporaryDirectory();
    struct statvfs volume {};
    const bool measured = ::statvfs(folder.c_str(), &volume) == 0;
    const std::uint64_t freeBytes =
        measured ? std::uint64_t{volume.f_bavail} * std::uint64_t{volume.f_frsize} : 0;
    const bool full =
        error == ENOSPC || error == EDQUOT || (error == 0 && measured && freeBytes < kNearlyFull);
    if (!full && error == 0) {
        return {};
    }
    if (!full) {
        return Localized("A work file could not be written in the work folder {0} ({1}).",
                         {folder, std::strerror(error)});
    }
    const std::string advice = Localized("Make room there, or set TMPDIR to a folder with more "
                                         "space, then try again; the sound file itself is fine.");
    if (bytesNeeded > freeBytes) {
        return JoinSentences(
            Localized("The work folder {0} has too little space: the work files need about {1} "
                      "there, and {2} is free.",
                      {folder, SizeText(bytesNeeded), SizeText(freeBytes)}),
            advice);
    }
    return JoinSentences(
        Localized("The work folder {0} is full ({1} free): the converter writes its work files "
                  "there before they go onto the card.",
                  {folder, SizeText(freeBytes)}),
        advice);
}

} // namespace ZQ3
