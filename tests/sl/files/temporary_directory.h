#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace SL::TestFiles {

// A fresh directory below the system's temporary directory, removed with everything in it.
class CTemporaryDirectory {
public:
    CTemporaryDirectory() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zq3-files-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~CTemporaryDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    CTemporaryDirectory(const CTemporaryDirectory&) = delete;
    CTemporaryDirectory& operator=(const CTemporaryDirectory&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream input(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(input), {});
}

} // namespace SL::TestFiles
