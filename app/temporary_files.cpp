#include "app/temporary_files.h"

#include "card/temporary_names.h"

#include <algorithm>
#include <cerrno>
#include <random>
#include <sys/stat.h>
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

std::string TemporaryPathBeside(const std::string& destination) {
    const std::size_t slash = destination.rfind('/');
    const std::string directory =
        slash == std::string::npos ? std::string() : destination.substr(0, slash + 1);
    static constexpr char Letters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof Letters - 2);
    for (int attempt = 0;; ++attempt) {
        std::string temporary = directory + TemporaryNames::WaveFile;
        for (int i = 0; i < 6; ++i) {
            temporary += Letters[pick(random)];
        }
        struct stat status {};
        const bool free = ::lstat(temporary.c_str(), &status) != 0 && errno == ENOENT;
        // A folder that cannot be examined gets a name all the same: the create reports it.
        if ((free || attempt >= 16) && temporary != destination) {
            return temporary;
        }
    }
}

} // namespace ZQ3
