#include "sl/files/file_data_source.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SL {
namespace {

int OpenDescriptor(const char* path, int flags, mode_t permissions = 0) {
    for (;;) {
        const int descriptor = ::open(path, flags, permissions);
        if (descriptor >= 0 || errno != EINTR) {
            return descriptor;
        }
    }
}

// Opens an existing file without waiting on it: a FIFO without a writer would block an ordinary
// open for ever, and a device may block or have effects (a terminal must not even become the
// controlling one). Only a regular file is kept, switched back to blocking so that reads and
// writes complete. -1 for anything else.
int OpenRegularFile(const std::string& path, int flags) {
    const int descriptor = OpenDescriptor(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        return -1;
    }
    struct stat status {};
    const int statusFlags = ::fcntl(descriptor, F_GETFL);
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || statusFlags < 0 ||
        ::fcntl(descriptor, F_SETFL, statusFlags & ~O_NONBLOCK) != 0) {
        const int error = S_ISREG(status.st_mode) ? errno : EINVAL;
        ::close(descriptor);
        errno = error;
        return -1;
    }
    return descriptor;
}

} // namespace

int OpenRegularFileForReading(const std::string& path, int flags) {
    return OpenRegularFile(path, O_RDONLY | flags);
}

CFileDataSource::CFileDataSource(std::string path, CFileAccess access)
    : path_(std::move(path)), access_(access) {}

std::shared_ptr<std::istream> CFileDataSource::OpenInput() {
    if (access_ == CFileAccess::CreateNew) {
        return {};
    }
    return Open();
}

std::shared_ptr<std::ostream> CFileDataSource::OpenOutput() {
    if (access_ == CFileAccess::ReadExisting) {
        return {};
    }
    return Open();
}

std::shared_ptr<CDescriptorStream> CFileDataSource::Open() {
    int descriptor = -1;
    std::ios::openmode mode = std::ios::in;
    switch (access_) {
    case CFileAccess::ReadExisting:
        descriptor = OpenRegularFile(path_, O_RDONLY);
        break;
    case CFileAccess::CreateNew:
        // O_EXCL fails on any name already taken, a link included, and never truncates; the
        // new file is regular by construction.
        descriptor = OpenDescriptor(path_.c_str(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        mode = std::ios::out;
        break;
    case CFileAccess::UpdateExisting:
        descriptor = OpenRegularFile(path_, O_RDWR | O_NOFOLLOW);
        mode = std::ios::in | std::ios::out;
        break;
    }
    if (descriptor < 0) {
        return {};
    }
    return std::make_shared<CDescriptorStream>(descriptor, mode);
}

} // namespace SL
