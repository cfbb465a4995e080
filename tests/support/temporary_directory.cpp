#include "tests/support/temporary_directory.h"

#include "card/card_layout.h"
#include "card/sample_information_dto.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace ZQ3::Fixture {

TemporaryDirectory::TemporaryDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zq3-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary directory");
    }
    path_ = buffer.data();
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    // Tests make files read-only; give the owner write access back so that removal works for
    // a user other than root too.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream input(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream output(path, std::ios::binary | std::ios::trunc);
    output.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void MakeEmptyCard(const std::string& root) {
    MakeCard(root, std::vector<SampleEntry>(CardLayout::SlotCount));
}

std::map<std::string, std::string> FilesBelow(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
        if (item.is_regular_file()) {
            files[std::filesystem::relative(item.path(), root).string()] =
                ReadFileBytes(item.path().string());
        }
    }
    return files;
}

void MakeCard(const std::string& root, const std::vector<SampleEntry>& entries) {
    std::filesystem::create_directories(CardLayout::CardDirectory(root));
    const std::string path = CardLayout::InformationFilePath(root);
    std::filesystem::remove(path);
    if (!WriteSampleInformationFile(path, entries)) {
        throw std::runtime_error("cannot write the information file of a card");
    }
}

} // namespace ZQ3::Fixture
