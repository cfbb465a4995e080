#include "tests/support/fuse_volume.h"

#include "tests/support/required_program.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace ZQ3::Fixture {
namespace {

// Whether a file system other than the one of its parent is mounted at path.
bool IsMountPoint(const std::string& path) {
    struct stat self {};
    struct stat parent {};
    return ::stat(path.c_str(), &self) == 0 && ::stat((path + "/..").c_str(), &parent) == 0 &&
           self.st_dev != parent.st_dev;
}

std::string Joined(const std::vector<std::string>& arguments) {
    std::string text;
    for (const std::string& argument : arguments) {
        text += (text.empty() ? "" : " ") + argument;
    }
    return text;
}

} // namespace

int RunProgram(const std::vector<std::string>& arguments, std::string& output) {
    // A file rather than a pipe: a driver that goes to the background keeps its outputs open,
    // and the end of a pipe would never come.
    const int capture = ::memfd_create("zq3-program-output", MFD_CLOEXEC);
    if (capture < 0) {
        output = std::strerror(errno);
        return -1;
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int nothing = ::open("/dev/null", O_RDONLY);
        ::dup2(nothing, 0);
        ::dup2(capture, 1);
        ::dup2(capture, 2);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    const bool waited = child > 0 && ::waitpid(child, &status, 0) == child;
    output.clear();
    char buffer[4096];
    ssize_t got = 0;
    ::lseek(capture, 0, SEEK_SET);
    while ((got = ::read(capture, buffer, sizeof buffer)) > 0) {
        output.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(capture);
    if (!waited) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

CFuseVolume::CFuseVolume(Kind kind, const std::string& folder, std::uint64_t imageBytes,
                         std::uint64_t clusterBytes)
    : image_(folder + "/card.img"), mountPoint_(folder + "/mount"), imageBytes_(imageBytes) {
    if (::geteuid() != 0) {
        unavailable_ = "mounting a FAT image through FUSE needs root";
        return;
    }
    const int fuse = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fuse < 0) {
        unavailable_ = "FUSE is not available here: /dev/fuse cannot be opened (" +
                       std::string(std::strerror(errno)) + ")";
        return;
    }
    ::close(fuse);
    if (kind == Kind::ExFat && ::access("/dev/loop-control", F_OK) != 0) {
        unavailable_ = "the exFAT driver needs a loop device, and /dev/loop-control is missing";
        return;
    }
    const std::vector<std::pair<const char*, const char*>> programs =
        kind == Kind::ExFat
            ? std::vector<std::pair<const char*, const char*>>{{"mkfs.exfat", "exfatprogs"},
                                                               {"mount.exfat-fuse", "exfat-fuse"},
                                                               {"losetup", "mount"}}
            : std::vector<std::pair<const char*, const char*>>{{"mkfs.fat", "dosfstools"},
                                                               {"fusefat", "fusefat"}};
    for (const auto& [program, package] : programs) {
        failure_ = MissingProgram(program, package);
        if (!failure_.empty()) {
            return;
        }
    }
    failure_ = MissingProgram("fusermount", "fuse3");
    if (!failure_.empty()) {
        return;
    }
    mount(kind, clusterBytes);
}

void CFuseVolume::mount(Kind kind, std::uint64_t clusterBytes) {
    std::string output;
    const auto step = [&](const std::vector<std::string>& arguments) {
        const int status = RunProgram(arguments, output);
        if (status != 0) {
            failure_ = Joined(arguments) + " failed (" + std::to_string(status) + "): " + output;
        }
        return status == 0;
    };
    std::error_code error;
    std::filesystem::create_directories(mountPoint_, error);
    if (!step({"truncate", "-s", std::to_string(imageBytes_), image_})) {
        return;
    }
    if (kind == Kind::ExFat) {
        std::vector<std::string> format{"mkfs.exfat"};
        if (clusterBytes != 0) {
            format.insert(format.end(), {"-c", std::to_string(clusterBytes / 1024) + "K"});
        }
        format.push_back(image_);
        if (!step(format)) {
            return;
        }
        if (RunProgram({"losetup", "-f", "--show", image_}, output) != 0) {
            unavailable_ = "no loop device can be attached here: " + output;
            return;
        }
        loopDevice_ = output.substr(0, output.find('\n'));
        if (!step({"mount.exfat-fuse", loopDevice_, mountPoint_})) {
            return;
        }
    } else {
        std::vector<std::string> format{"mkfs.fat", "-F", "32"};
        if (clusterBytes != 0) {
            format.insert(format.end(), {"-s", std::to_string(clusterBytes / 512)});
        }
        format.push_back(image_);
        if (!step(format) || !step({"fusefat", "-o", "rw+", image_, mountPoint_})) {
            return;
        }
    }
    // The drivers go to the background once the file system answers; wait until it does.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!IsMountPoint(mountPoint_)) {
        if (std::chrono::steady_clock::now() > deadline) {
            failure_ = "the FUSE driver did not mount " + mountPoint_ + " within 10 s";
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    mounted_ = true;
    failure_.clear();
}

CFuseVolume::~CFuseVolume() {
    std::string output;
    if (IsMountPoint(mountPoint_)) {
        if (RunProgram({"fusermount", "-u", mountPoint_}, output) != 0) {
            // A volume still in use by a killed test's process goes once that process is gone.
            RunProgram({"umount", "-l", mountPoint_}, output);
        }
    }
    if (!loopDevice_.empty()) {
        // Detaching a device that the driver still holds marks it to go when it is released.
        RunProgram({"losetup", "-d", loopDevice_}, output);
    }
}

} // namespace ZQ3::Fixture
