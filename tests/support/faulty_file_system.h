#pragma once

#include "card/file_system.h"

#include <cerrno>
#include <string>
#include <vector>

namespace ZQ3::Testing {

// Stands in for a device that errs or a computer that dies: every call is numbered from 1 and
// passed to the machine's file system, except the calls chosen to fail, which do nothing but
// set errno and return failure.
class CFaultyFileSystem : public IFileSystem {
public:
    // Counts and logs without failing anything.
    void countOnly() { arm(Mode::CountOnly, 0, 0); }
    // Call n alone fails with error.
    void failCall(int n, int error = EIO) { arm(Mode::FailOnce, n, error); }
    // Call n and every later one fail with error.
    void failFrom(int n, int error = EIO) { arm(Mode::FailFrom, n, error); }
    // The process dies at call n: that call and everything after it have no effect, as if the
    // command had been abandoned there. Descriptors are still closed, as the system closes a
    // dead process's descriptors.
    void crashAt(int n) { arm(Mode::FailFrom, n, EIO); }
    // Every call whose log line begins with prefix ("rename ", "unlink /card/...") fails with
    // error: a device that refuses one kind of change.
    void failEvery(std::string prefix, int error = EIO) {
        arm(Mode::FailMatching, 0, error);
        prefix_ = std::move(prefix);
    }

    int calls() const { return calls_; }
    // "open PATH", "unlink PATH", ... for every call, in order; index 0 is call 1.
    const std::vector<std::string>& log() const { return log_; }
    // The number of the first call whose log line is line, or 0.
    int callNumberOf(const std::string& line) const;

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

private:
    enum class Mode { CountOnly, FailOnce, FailFrom, FailMatching };
    void arm(Mode mode, int n, int error);
    // Numbers and logs the call; true when it is to fail, with errno set.
    bool fails(const std::string& line);

    Mode mode_ = Mode::CountOnly;
    int target_ = 0;
    int error_ = EIO;
    std::string prefix_;
    int calls_ = 0;
    std::vector<std::string> log_;
    IFileSystem& inner_ = PosixFileSystem();
};

} // namespace ZQ3::Testing
