#include "cli/cli_context.h"

#include "app/localized_text.h"
#include "app/message_catalogue.h"
#include "cli/interrupt.h"
#include "cli/terminal_progress.h"

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>

namespace ZQ3 {

CCliContext::CCliContext() : view_([this]() -> const CModel& { return model(); }) {
    controller().setView(&view_);
    // Every change zq3 makes can be undone.
    controller().setRecordsHistory(true);
    CardLockWaiting waiting;
    waiting.onWait = [this] {
        std::fprintf(stderr, "%s%s\n", ErrorPrefix(command_).c_str(),
                     MessageCatalogue::Instance().text(MessageCardInUse).c_str());
        std::fflush(stderr);
    };
    waiting.isCancelled = [] { return InterruptRequested(); };
    controller().setCardLockWaiting(std::move(waiting));
}

CCliContext::~CCliContext() {
    controller().setView(nullptr);
}

bool CCliContext::loadCard(const std::string& card, int bank) {
    return controller().selectDrive(CardRootFromArgument(card), bank);
}

void CCliContext::useTerminalProgress() {
    std::FILE* drawOn = ::isatty(STDERR_FILENO) ? stderr : nullptr;
    controller().setProgressFactory(
        [drawOn] { return std::make_shared<CTerminalProgress>(drawOn); });
}

void CCliContext::say(const std::string& line) const {
    if (!quiet_) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
}

void CCliContext::note(const std::string& text) const {
    spokeAfterInterrupt_ = spokeAfterInterrupt_ || InterruptRequested();
    std::fprintf(stderr, "%s%s\n", ErrorPrefix(command_).c_str(), text.c_str());
    std::fflush(stderr);
}

int CCliContext::settleInterrupt(int exitCode) const {
    if (!InterruptRequested() || spokeAfterInterrupt_) {
        return exitCode;
    }
    // The commands that change files; of the others a late Ctrl-C ended nothing.
    static const std::set<std::string> changing{"import", "export",  "delete", "repair",
                                                "init",   "restore", "undo",   "redo"};
    if (exitCode == ExitCancelled) {
        note(Localized("Cancelled; the card is as it was."));
    } else if ((exitCode == ExitDone || exitCode == ExitPartial) && changing.contains(command_)) {
        // Past its commit a change cannot be cancelled; it runs to its end instead.
        note(Localized("Ctrl-C came after the change was committed, so it was not cancelled: the "
                       "change was finished."));
    }
    return exitCode;
}

int CCliContext::fail(const std::string& text) const {
    note(text);
    return ExitFailed;
}

std::string ErrorPrefix(const std::string& command) {
    return command.empty() ? "zq3: " : "zq3: " + command + ": ";
}

int UsageError(const std::string& command, const std::string& message) {
    const std::string help = command.empty() ? "zq3 help" : "zq3 help " + command;
    std::fprintf(stderr, "%s%s\n%s\n", ErrorPrefix(command).c_str(), message.c_str(),
                 Localized("Run '{0}' for usage.", {help}).c_str());
    return ExitUsage;
}

int ExitCodeOf(CommandOutcome outcome) {
    switch (outcome) {
    case CommandOutcome::Succeeded:
        return ExitDone;
    case CommandOutcome::Cancelled:
        return ExitCancelled;
    case CommandOutcome::Unsettled:
        return ExitUnsettled;
    case CommandOutcome::Failed:
        break;
    }
    return ExitFailed;
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty()) {
        return path;
    }
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

std::string CardRootFromArgument(const std::string& card) {
    std::string root = AbsolutePath(card);
    while (root.size() > 1 && root.back() == '/') {
        root.pop_back();
    }
    return root;
}

} // namespace ZQ3
