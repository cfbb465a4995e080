#include "app/card_probe.h"

#include "card/card_layout.h"
#include "card/file_transfer.h"
#include "card/sample_information_dto.h"

#include <cerrno>
#include <sys/stat.h>

namespace ZQ3 {

bool HoldsCard(const std::string& root) {
    return !root.empty() &&
           ReadSampleInformationFile(CardLayout::InformationFilePath(root)).has_value();
}

bool CardFolderGone(const std::string& root) {
    struct stat status {};
    if (::lstat(CardLayout::CardDirectory(root).c_str(), &status) == 0) {
        return !S_ISDIR(status.st_mode);
    }
    return errno == ENOENT || errno == ENOTDIR;
}

std::optional<std::uint64_t> CardFreeBytes(const std::string& root) {
    if (root.empty()) {
        return std::nullopt;
    }
    return FileTransfer::FreeSpace(root);
}

} // namespace ZQ3
