#include "app/file_removal.h"

#include "card/file_transfer.h"

#include <cerrno>

namespace ZQ3 {

bool RemoveIfPresent(const std::string& path) {
    if (FileTransfer::Exists(path)) {
        return FileTransfer::Remove(path);
    }
    // Not seen: the removal decides, and only "no such file" means the name is free.
    return FileTransfer::Remove(path) || errno == ENOENT;
}

} // namespace ZQ3
