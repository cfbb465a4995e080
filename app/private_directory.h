#pragma once

#include <string>

namespace ZQ3 {

// A new folder of this command's own under the temporary directory, readable by nobody else
// (mode 0700), removed with everything in it when the command ends. Two converters, or two
// commands of one, never see each other's work files, and nobody can plant a link at a work
// file's name in advance.
class CPrivateDirectory {
public:
    CPrivateDirectory();
    ~CPrivateDirectory();
    CPrivateDirectory(const CPrivateDirectory&) = delete;
    CPrivateDirectory& operator=(const CPrivateDirectory&) = delete;

    // False when the folder could not be made; then path() is empty.
    bool isValid() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    // path() + "/" + name.
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

} // namespace ZQ3
