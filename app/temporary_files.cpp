#include "app/temporary_files.h"

#include <algorithm>
#include <unistd.h>

namespace ZQ3 {

void CTemporaryFiles::add(const std::string& path) {
    if (path.empty() || std::find(paths_.begin(), paths_.end(), path) != paths_.end()) {
        return;
    }
    paths_.push_back(path);
}

void CTemporaryFiles::removeAll() {
    for (const std::string& path : paths_) {
        // unlink refuses directories and removes a link rather than what it leads to; a name
        // that no longer exists is what the clean-up wants anyway.
        (void)::unlink(path.c_str());
    }
    paths_.clear();
}

} // namespace ZQ3
