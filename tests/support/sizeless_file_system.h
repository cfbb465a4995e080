#pragma once

#include "card/file_system.h"

namespace ZQ3::Testing {

// The machine's file system, except that every volume reports no blocks at all, as some FAT
// drivers do: its free space cannot be known.
class CSizelessFileSystem : public CPosixFileSystem {
public:
    int Statvfs(const std::string& path, struct statvfs& volume) override {
        const int result = CPosixFileSystem::Statvfs(path, volume);
        volume.f_blocks = volume.f_bfree = volume.f_bavail = 0;
        return result;
    }
};

} // namespace ZQ3::Testing
