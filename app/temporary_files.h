#pragma once

#include <string>
#include <vector>

namespace ZQ3 {

// The temporary files a command has made or may have made. However the command ends, each one
// that still exists is removed when the list goes, in the order the paths were added.
//
// The removal goes straight to the file system rather than through the file transfer steps: a
// command's clean-up must not be skipped because one of its earlier steps failed.
class CTemporaryFiles {
public:
    CTemporaryFiles() = default;
    ~CTemporaryFiles() { removeAll(); }
    CTemporaryFiles(const CTemporaryFiles&) = delete;
    CTemporaryFiles& operator=(const CTemporaryFiles&) = delete;

    // A path added twice is removed once.
    void add(const std::string& path);
    void removeAll();

    const std::vector<std::string>& paths() const { return paths_; }

private:
    std::vector<std::string> paths_;
};

} // namespace ZQ3
