#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ZQ3::Fixture {

// A FAT file system as the sampler's cards carry, in an image file below folder and mounted
// through FUSE at folder/mount for as long as the object lives: exFAT on a loop device (its
// driver needs a block device), FAT32 on the image file itself. Unmounted and detached again
// however the test ends. Needs root, /dev/fuse and, for exFAT, loop devices.
class CFuseVolume {
public:
    enum class Kind { ExFat, Fat32 };

    // An image of imageBytes; clusterBytes 0 leaves the cluster size to the formatter.
    CFuseVolume(Kind kind, const std::string& folder, std::uint64_t imageBytes,
                std::uint64_t clusterBytes = 0);
    ~CFuseVolume();
    CFuseVolume(const CFuseVolume&) = delete;
    CFuseVolume& operator=(const CFuseVolume&) = delete;

    bool mounted() const { return mounted_; }
    // Why the volume is not mounted because this machine cannot mount one (not root, no FUSE,
    // no loop device): the reason to skip with. Empty otherwise.
    const std::string& unavailable() const { return unavailable_; }
    // Why the volume is not mounted although the machine could: a missing program (with its
    // Debian package) or a tool that failed, with what it printed. Empty otherwise.
    const std::string& failure() const { return failure_; }

    const std::string& mountPoint() const { return mountPoint_; }

private:
    void mount(Kind kind, std::uint64_t clusterBytes);

    std::string image_;
    std::string mountPoint_;
    std::uint64_t imageBytes_;
    std::string loopDevice_;
    bool mounted_ = false;
    std::string unavailable_;
    std::string failure_;
};

// Runs program with arguments, its output collected into output (standard error included);
// the exit status, or 128 and the signal's number.
int RunProgram(const std::vector<std::string>& arguments, std::string& output);

} // namespace ZQ3::Fixture

// Skips the test where the machine cannot mount the volume, fails it where a tool is missing or
// failed.
#define ZQ3_MOUNT_OR_SKIP(volume)                                                                  \
    do {                                                                                           \
        if (!(volume).unavailable().empty()) {                                                     \
            GTEST_SKIP() << (volume).unavailable();                                                \
        }                                                                                          \
        if (!(volume).mounted()) {                                                                 \
            GTEST_FAIL() << (volume).failure();                                                    \
        }                                                                                          \
    } while (false)
