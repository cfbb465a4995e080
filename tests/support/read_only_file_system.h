#pragma once

#include "card/file_system.h"

#include <cerrno>
#include <fcntl.h>

namespace ZQ3::Testing {

// The machine's file system as a card mounted read-only shows it, or one whose write-protect
// switch is on: every volume says so, and whatever would create, change or remove a name is
// refused with EROFS.
class CReadOnlyFileSystem : public CPosixFileSystem {
public:
    int Statvfs(const std::string& path, struct statvfs& volume) override {
        const int result = CPosixFileSystem::Statvfs(path, volume);
        volume.f_flag |= ST_RDONLY;
        return result;
    }
    int Open(const std::string& path, int flags, mode_t mode) override {
        if ((flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0) {
            return Refused();
        }
        return CPosixFileSystem::Open(path, flags, mode);
    }
    int Rename(const std::string&, const std::string&, unsigned) override { return Refused(); }
    int Link(const std::string&, const std::string&) override { return Refused(); }
    int Unlink(const std::string&) override { return Refused(); }

private:
    static int Refused() {
        errno = EROFS;
        return -1;
    }
};

} // namespace ZQ3::Testing
