#pragma once

#include "app/command_outcome.h"
#include "app/controller.h"
#include "app/domain.h"
#include "cli/terminal_view.h"

#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace ZQ3 {

enum ExitCode : int {
    ExitDone = 0,
    // The command failed; its message has been printed.
    ExitFailed = 1,
    ExitUsage = 2,
    // The user declined a question or cancelled.
    ExitCancelled = 3,
    // The change was committed to the card but not finished; the card's next opening settles
    // it, as the message printed says.
    ExitUnsettled = 4,
    // The command went through to its end, leaving out items it names (an export of several
    // pads skipped damaged pads).
    ExitPartial = 5,
};

// What every command of the tool shares: one domain and its terminal view, as the desktop
// program has one domain and one main view.
class CCliContext {
public:
    CCliContext();
    ~CCliContext();

    CDomain& domain() { return domain_; }
    CController& controller() { return *domain_.controller; }
    const CModel& model() const { return *domain_.model; }
    CTerminalView& view() { return view_; }

    // Loads the card at the path the user gave, as choosing a drive does.
    bool loadCard(const std::string& card, int bank = 0);
    // Shows the progress of long commands on standard error when it is a terminal.
    void useTerminalProgress();

    // The command that runs, named in every line the tool prints about it.
    void setCommand(std::string name) { command_ = std::move(name); }
    const std::string& command() const { return command_; }
    // --quiet: no success lines.
    void setQuiet(bool quiet) { quiet_ = quiet; }

    // A success line on standard output, unless --quiet.
    void say(const std::string& line) const;
    // "zq3: COMMAND: text" on standard error.
    void note(const std::string& text) const;
    // After the command, whose exit code is exitCode: when Ctrl-C came and the command has not
    // said since what became of it, says so (cancelled, or finished because the change had
    // been committed already). Answers exitCode.
    int settleInterrupt(int exitCode) const;
    // The same, for a failure: answers the failed exit code.
    int fail(const std::string& text) const;

private:
    CDomain domain_;
    CTerminalView view_;
    std::string command_;
    bool quiet_ = false;
    // Whether a line went to standard error after Ctrl-C came.
    mutable bool spokeAfterInterrupt_ = false;
};

// "zq3: COMMAND: " (or "zq3: " without a command): how every line of the tool on standard error
// begins.
std::string ErrorPrefix(const std::string& command);
// Prints a usage error with the hint to the command's help and gives the usage exit code.
int UsageError(const std::string& command, const std::string& message);
// The exit code for how a file command ended.
int ExitCodeOf(CommandOutcome outcome);

// A card path from the command line as a card root: absolute, without a trailing "/".
std::string CardRootFromArgument(const std::string& card);
// A file path from the command line made absolute.
std::string AbsolutePath(const std::string& path);

// One command of the tool: its parser and what runs when the user chose it.
struct CliCommand {
    CLI::App* parser;
    std::function<int()> run;
};

using CommandRegistrar = CliCommand (*)(CLI::App& app, CCliContext& context);

// Every command of the tool, in the order the help lists them.
const std::vector<CommandRegistrar>& CommandRegistrars();

} // namespace ZQ3
