#include "card/file_system.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

namespace ZQ3 {

int CPosixFileSystem::Open(const std::string& path, int flags, mode_t mode) {
    return ::open(path.c_str(), flags, mode);
}

int CPosixFileSystem::Close(int fd) {
    return ::close(fd);
}

ssize_t CPosixFileSystem::Read(int fd, void* data, std::size_t size) {
    return ::read(fd, data, size);
}

ssize_t CPosixFileSystem::Write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}

int CPosixFileSystem::Fsync(int fd) {
    return ::fsync(fd);
}

int CPosixFileSystem::Syncfs(int fd) {
    return ::syncfs(fd);
}

int CPosixFileSystem::Fstat(int fd, struct stat& status) {
    return ::fstat(fd, &status);
}

int CPosixFileSystem::Fchmod(int fd, mode_t mode) {
    return ::fchmod(fd, mode);
}

int CPosixFileSystem::Ftruncate(int fd, off_t length) {
    return ::ftruncate(fd, length);
}

int CPosixFileSystem::Flock(int fd, int operation) {
    return ::flock(fd, operation);
}

int CPosixFileSystem::Stat(const std::string& path, struct stat& status) {
    return ::stat(path.c_str(), &status);
}

int CPosixFileSystem::Lstat(const std::string& path, struct stat& status) {
    return ::lstat(path.c_str(), &status);
}

int CPosixFileSystem::Statvfs(const std::string& path, struct statvfs& volume) {
    return ::statvfs(path.c_str(), &volume);
}

int CPosixFileSystem::Fstatfs(int fd, struct statfs& volume) {
    return ::fstatfs(fd, &volume);
}

int CPosixFileSystem::Rename(const std::string& oldPath, const std::string& newPath,
                             unsigned flags) {
    if (flags == 0) {
        return ::rename(oldPath.c_str(), newPath.c_str());
    }
    return ::renameat2(AT_FDCWD, oldPath.c_str(), AT_FDCWD, newPath.c_str(), flags);
}

int CPosixFileSystem::Link(const std::string& oldPath, const std::string& newPath) {
    return ::link(oldPath.c_str(), newPath.c_str());
}

int CPosixFileSystem::Unlink(const std::string& path) {
    return ::unlink(path.c_str());
}

bool CPosixFileSystem::ListDirectory(const std::string& directory,
                                     std::vector<std::string>& names) {
    const std::unique_ptr<DIR, int (*)(DIR*)> stream(::opendir(directory.c_str()), ::closedir);
    if (!stream) {
        return false;
    }
    names.clear();
    for (;;) {
        // readdir tells the end from an error only through errno.
        errno = 0;
        const dirent* entry = ::readdir(stream.get());
        if (entry == nullptr) {
            return errno == 0;
        }
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
}

IFileSystem& PosixFileSystem() {
    static CPosixFileSystem fileSystem;
    return fileSystem;
}

} // namespace ZQ3
