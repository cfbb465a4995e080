#include "required_program.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace ZQ3::Fixture {

namespace {

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path != nullptr ? path : "/usr/bin:/bin";
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        std::error_code error;
        const auto candidate = std::filesystem::path(folder) / program;
        if (!folder.empty() && std::filesystem::is_regular_file(candidate, error)) {
            return true;
        }
        rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
    }
    return false;
}

} // namespace

std::string MissingProgram(const std::string& program, const std::string& package) {
    if (OnPath(program)) {
        return {};
    }
    return "missing program: " + program + " (Debian package: " + package +
           "; scripts/install-deps --tests installs it)";
}

} // namespace ZQ3::Fixture
