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

// A free name for a file to be written before it takes destination's place: in destination's
// folder, so that the final rename stays within one file system, beginning with the converter's
// temporary prefix, and with a suffix of this run's own, so that commands writing into one
// folder at once never share a work file. The file must then be created new (O_EXCL), so that
// a name taken in between fails the command instead of being written into.
std::string TemporaryPathBeside(const std::string& destination);

} // namespace ZQ3
