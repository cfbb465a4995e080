#include "cli/pad_command.h"

#include "app/localized_text.h"
#include "app/message_catalogue.h"
#include "cli/interrupt.h"
#include "cli/terminal_text_dialog.h"

#include <cstdio>
#include <unistd.h>

namespace ZQ3 {

std::optional<int> CPadCommand::prepare(const std::string& card, const std::string& pad,
                                        CardUse use) {
    const auto address = ParsePadName(pad);
    if (!address) {
        return UsageError(context_.command(),
                          Localized("PAD must be a bank letter C to J and a pad number 0 to 15, "
                                    "not '{0}'.",
                                    {pad}));
    }
    pad_ = *address;
    if (auto exitCode = prepareCard(card, use, pad_.bank)) {
        return exitCode;
    }
    if (!context_.controller().selectPad(pad_.pad)) {
        return int(ExitFailed);
    }
    return std::nullopt;
}

std::optional<int> CPadCommand::prepareCard(const std::string& card, CardUse use, int bank) {
    // Ctrl-C is the Cancel button from here on, also while waiting for another converter.
    InstallInterruptHandler();
    if (use == CardUse::Change) {
        // Held from before the card is read until the tool ends, so that nothing another
        // converter does can come between what this one loads and what it changes.
        switch (context_.controller().holdCardLock(CardRootFromArgument(card))) {
        case CController::CardAccess::Ready:
            break;
        case CController::CardAccess::Cancelled:
            return int(ExitCancelled);
        case CController::CardAccess::Failed:
            return int(ExitFailed);
        }
    }
    if (!context_.loadCard(card, bank)) {
        return int(ExitFailed);
    }
    context_.useTerminalProgress();
    return std::nullopt;
}

std::optional<int> CPadCommand::confirm(const std::string& question, bool assumeYes) {
    const bool interactive = ::isatty(STDIN_FILENO) != 0;
    if (!assumeYes && !interactive) {
        // A script must hear why it got nothing done, and how to say yes beforehand.
        context_.note(question + " " +
                      Localized("There is no terminal to answer on, so nothing was changed. Give "
                                "--yes to go ahead without asking."));
        return int(ExitCancelled);
    }
    CTerminalTextDialog dialog(assumeYes, stdin, stderr, interactive);
    const int answer =
        dialog.ask(UL::ITextDialog::ButtonsOkCancel, UL::ITextDialog::IconQuestion, question);
    if (answer == UL::ITextDialog::AnswerOk) {
        return std::nullopt;
    }
    context_.note(Localized("Nothing was changed."));
    return int(ExitCancelled);
}

} // namespace ZQ3
