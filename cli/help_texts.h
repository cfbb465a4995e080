#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ZQ3 {

// The tool's help, in the catalogue's language: written out in full rather than generated, so
// that every command's help carries its examples and the exit codes.

// The commands of the tool, in the order the overview lists them ("help" last).
const std::vector<std::string>& CommandNames();
// "zq3 help": what the tool does, one line and one example per command.
std::string OverviewHelp();
// "zq3 help COMMAND"; nothing for a command the tool does not have.
std::optional<std::string> CommandHelp(const std::string& command);
// The command name nearest to word, for "no such command"; empty when none is near.
std::string NearestCommand(const std::string& word);

} // namespace ZQ3
