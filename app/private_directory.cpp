#include "app/private_directory.h"

#include "card/file_transfer.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace ZQ3 {

CPrivateDirectory::CPrivateDirectory() {
    std::string pattern = FileTransfer::TemporaryDirectory() + "/zq3-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // mkdtemp makes the folder new, with mode 0700, or fails.
    if (::mkdtemp(name.data()) != nullptr) {
        path_ = name.data();
    }
}

CPrivateDirectory::~CPrivateDirectory() {
    if (!path_.empty()) {
        // remove_all removes links themselves, never what they lead to.
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
}

std::string CPrivateDirectory::file(const std::string& name) const {
    return path_ + "/" + name;
}

} // namespace ZQ3
