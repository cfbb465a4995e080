#pragma once

#include "card/sample_entry.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

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
// Every regular file below root, by its path relative to root, with its bytes.
std::map<std::string, std::string> FilesBelow(const std::string& root);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// A folder prepared as an empty card: KELDRA/ZQ314/ with an information file of empty slots.
void MakeEmptyCard(const std::string& root);
// A folder prepared as a card whose information file holds entries; one already there is
// replaced (the converter's writer only creates files new).
void MakeCard(const std::string& root, const std::vector<SampleEntry>& entries);

} // namespace ZQ3::Fixture
