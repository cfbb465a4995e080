#include "tests/support/faulty_file_system.h"

#include <algorithm>

namespace ZQ3::Testing {

void CFaultyFileSystem::arm(Mode mode, int n, int error) {
    mode_ = mode;
    target_ = n;
    error_ = error;
    calls_ = 0;
    log_.clear();
}

int CFaultyFileSystem::callNumberOf(const std::string& line) const {
    const auto found = std::find(log_.begin(), log_.end(), line);
    return found == log_.end() ? 0 : static_cast<int>(found - log_.begin()) + 1;
}

bool CFaultyFileSystem::fails(const std::string& line) {
    const int call = ++calls_;
    log_.push_back(line);
    const bool failing = (mode_ == Mode::FailOnce && call == target_) ||
                         (mode_ == Mode::FailFrom && call >= target_) ||
                         (mode_ == Mode::FailMatching && line.starts_with(prefix_));
    if (failing) {
        errno = error_;
    }
    return failing;
}

int CFaultyFileSystem::Open(const std::string& path, int flags, mode_t mode) {
    return fails("open " + path) ? -1 : inner_.Open(path, flags, mode);
}

int CFaultyFileSystem::Close(int fd) {
    const bool failing = fails("close");
    // Linux releases the descriptor even when close reports an error.
    const int result = inner_.Close(fd);
    if (failing) {
        errno = error_;
        return -1;
    }
    return result;
}

ssize_t CFaultyFileSystem::Read(int fd, void* data, std::size_t size) {
    return fails("read") ? -1 : inner_.Read(fd, data, size);
}

ssize_t CFaultyFileSystem::Write(int fd, const void* data, std::size_t size) {
    return fails("write") ? -1 : inner_.Write(fd, data, size);
}

int CFaultyFileSystem::Fsync(int fd) {
    return fails("fsync") ? -1 : inner_.Fsync(fd);
}

int CFaultyFileSystem::Syncfs(int fd) {
    return fails("syncfs") ? -1 : inner_.Syncfs(fd);
}

int CFaultyFileSystem::Fstat(int fd, struct stat& status) {
    return fails("fstat") ? -1 : inner_.Fstat(fd, status);
}

int CFaultyFileSystem::Fchmod(int fd, mode_t mode) {
    return fails("fchmod") ? -1 : inner_.Fchmod(fd, mode);
}

int CFaultyFileSystem::Ftruncate(int fd, off_t length) {
    return fails("ftruncate") ? -1 : inner_.Ftruncate(fd, length);
}

int CFaultyFileSystem::Flock(int fd, int operation) {
    return fails("flock") ? -1 : inner_.Flock(fd, operation);
}

int CFaultyFileSystem::Stat(const std::string& path, struct stat& status) {
    return fails("stat " + path) ? -1 : inner_.Stat(path, status);
}

int CFaultyFileSystem::Lstat(const std::string& path, struct stat& status) {
    return fails("lstat " + path) ? -1 : inner_.Lstat(path, status);
}

int CFaultyFileSystem::Statvfs(const std::string& path, struct statvfs& volume) {
    return fails("statvfs " + path) ? -1 : inner_.Statvfs(path, volume);
}

int CFaultyFileSystem::Fstatfs(int fd, struct statfs& volume) {
    return fails("fstatfs") ? -1 : inner_.Fstatfs(fd, volume);
}

int CFaultyFileSystem::Rename(const std::string& oldPath, const std::string& newPath,
                              unsigned flags) {
    return fails("rename " + oldPath + " " + newPath) ? -1 : inner_.Rename(oldPath, newPath, flags);
}

int CFaultyFileSystem::Link(const std::string& oldPath, const std::string& newPath) {
    return fails("link " + oldPath + " " + newPath) ? -1 : inner_.Link(oldPath, newPath);
}

int CFaultyFileSystem::Unlink(const std::string& path) {
    return fails("unlink " + path) ? -1 : inner_.Unlink(path);
}

bool CFaultyFileSystem::ListDirectory(const std::string& directory,
                                      std::vector<std::string>& names) {
    return fails("list " + directory) ? false : inner_.ListDirectory(directory, names);
}

} // namespace ZQ3::Testing
