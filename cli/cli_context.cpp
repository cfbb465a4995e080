#include "cli/cli_context.h"

#include "app/message_catalogue.h"
#include "cli/interrupt.h"
#include "cli/terminal_progress.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace ZQ3 {

CCliContext::CCliContext() : view_([this]() -> const CModel& { return model(); }) {
    controller().setView(&view_);
    CardLockWaiting waiting;
    waiting.onWait = [] {
        std::fprintf(stderr, "%s\n", MessageCatalogue::Instance().text(MessageCardInUse).c_str());
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

bool CCliContext::loadCardAndSelectPad(const std::string& card, int bank, int pad) {
    return loadCard(card, bank) && controller().selectPad(pad);
}

void CCliContext::useTerminalProgress() {
    std::FILE* drawOn = ::isatty(STDERR_FILENO) ? stderr : nullptr;
    controller().setProgressFactory(
        [drawOn] { return std::make_shared<CTerminalProgress>(drawOn); });
}

int UsageError(const std::string& message) {
    std::fprintf(stderr, "zq3: %s\nRun 'zq3 --help' for usage.\n", message.c_str());
    return ExitUsage;
}

int ExitCodeOf(CommandOutcome outcome) {
    switch (outcome) {
    case CommandOutcome::Succeeded:
        return ExitDone;
    case CommandOutcome::Cancelled:
        return ExitCancelled;
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
