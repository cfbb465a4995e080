#include "card/path_names.h"

namespace ZQ3::PathNames {

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string ParentDirectory(const std::string& path) {
    const std::string trimmed = WithoutTrailingSeparators(path);
    const std::size_t separator = trimmed.rfind('/');
    if (separator == std::string::npos) {
        return ".";
    }
    if (separator == 0) {
        return "/";
    }
    return WithoutTrailingSeparators(trimmed.substr(0, separator));
}

std::string LastPart(const std::string& path) {
    const std::string trimmed = WithoutTrailingSeparators(path);
    return trimmed.substr(trimmed.rfind('/') + 1);
}

} // namespace ZQ3::PathNames
