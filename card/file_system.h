#pragma once

#include <string>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <vector>

namespace ZQ3 {

// The file-system calls through which the converter changes a card or a destination folder.
// Each mirrors the POSIX call of the same name: -1 (or false) with errno set on failure.
//
// Everything that decides whether a card survives a failure goes through here, so that a
// failing or vanishing device can be stood in for at any one of these calls.
class IFileSystem {
public:
    virtual ~IFileSystem() = default;

    virtual int Open(const std::string& path, int flags, mode_t mode) = 0;
    virtual int Close(int fd) = 0;
    virtual ssize_t Read(int fd, void* data, std::size_t size) = 0;
    virtual ssize_t Write(int fd, const void* data, std::size_t size) = 0;
    virtual int Fsync(int fd) = 0;
    // Writes out everything held back for the file system that holds fd, names and data.
    virtual int Syncfs(int fd) = 0;
    virtual int Fstat(int fd, struct stat& status) = 0;
    virtual int Fchmod(int fd, mode_t mode) = 0;
    virtual int Ftruncate(int fd, off_t length) = 0;
    virtual int Flock(int fd, int operation) = 0;
    virtual int Stat(const std::string& path, struct stat& status) = 0;
    virtual int Lstat(const std::string& path, struct stat& status) = 0;
    virtual int Statvfs(const std::string& path, struct statvfs& volume) = 0;
    // The file system's type (f_type) among the rest, which statvfs does not tell.
    virtual int Fstatfs(int fd, struct statfs& volume) = 0;
    // renameat2 with flags such as RENAME_NOREPLACE; 0 is a plain rename.
    virtual int Rename(const std::string& oldPath, const std::string& newPath, unsigned flags) = 0;
    virtual int Link(const std::string& oldPath, const std::string& newPath) = 0;
    virtual int Unlink(const std::string& path) = 0;
    // The names in directory other than "." and "..".
    virtual bool ListDirectory(const std::string& directory, std::vector<std::string>& names) = 0;
};

// The machine's own file system.
class CPosixFileSystem : public IFileSystem {
public:
    int Open(const std::string& path, int flags, mode_t mode) override;
    int Close(int fd) override;
    ssize_t Read(int fd, void* data, std::size_t size) override;
    ssize_t Write(int fd, const void* data, std::size_t size) override;
    int Fsync(int fd) override;
    int Syncfs(int fd) override;
    int Fstat(int fd, struct stat& status) override;
    int Fchmod(int fd, mode_t mode) override;
    int Ftruncate(int fd, off_t length) override;
    int Flock(int fd, int operation) override;
    int Stat(const std::string& path, struct stat& status) override;
    int Lstat(const std::string& path, struct stat& status) override;
    int Statvfs(const std::string& path, struct statvfs& volume) override;
    int Fstatfs(int fd, struct statfs& volume) override;
    int Rename(const std::string& oldPath, const std::string& newPath, unsigned flags) override;
    int Link(const std::string& oldPath, const std::string& newPath) override;
    int Unlink(const std::string& path) override;
    bool ListDirectory(const std::string& directory, std::vector<std::string>& names) override;
};

// The one machine file system every command uses unless it is given another.
IFileSystem& PosixFileSystem();

} // namespace ZQ3
