#pragma once

#include <filesystem>
#include <string>

namespace ZQ3::Fixture {

// A fresh directory below the system's temporary directory, removed with everything in it
// when the object goes.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// A folder prepared as an empty card: KELDRA/ZQ314/ with an information file of empty slots.
void MakeEmptyCard(const std::string& root);

} // namespace ZQ3::Fixture
