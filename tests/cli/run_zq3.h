#pragma once

#include <string>
#include <vector>

namespace ZQ3::Fixture {

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the zq3 executable with arguments and the given extra environment ("NAME=value"), with
// standard input from /dev/null, and collects what it printed.
CommandResult RunZq3(const std::vector<std::string>& arguments,
                     const std::vector<std::string>& environment = {});

} // namespace ZQ3::Fixture
