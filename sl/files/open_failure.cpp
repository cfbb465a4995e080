#include "sl/files/open_failure.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SL {
namespace {

COpenFailure FailureOfError(int error) {
    COpenFailure failure;
    failure.errorNumber = error;
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        failure.reason = COpenFailure::CReason::NoSuchFile;
        break;
    case EACCES:
    case EPERM:
        failure.reason = COpenFailure::CReason::PermissionDenied;
        break;
    default:
        failure.reason = COpenFailure::CReason::Other;
        break;
    }
    return failure;
}

} // namespace

CFileKind FileKindOfMode(mode_t mode) {
    if (S_ISREG(mode)) {
        return CFileKind::Regular;
    }
    if (S_ISDIR(mode)) {
        return CFileKind::Directory;
    }
    if (S_ISFIFO(mode)) {
        return CFileKind::Fifo;
    }
    if (S_ISCHR(mode)) {
        return CFileKind::CharacterDevice;
    }
    if (S_ISBLK(mode)) {
        return CFileKind::BlockDevice;
    }
    if (S_ISSOCK(mode)) {
        return CFileKind::Socket;
    }
    return CFileKind::Other;
}

COpenFailure ExplainOpenFailure(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return FailureOfError(errno);
    }
    if (!S_ISREG(status.st_mode)) {
        COpenFailure failure;
        failure.reason = COpenFailure::CReason::NotRegularFile;
        failure.kind = FileKindOfMode(status.st_mode);
        return failure;
    }
    // A regular file: the open itself says what stood in the way.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        return FailureOfError(errno);
    }
    ::close(descriptor);
    return {};
}

} // namespace SL
