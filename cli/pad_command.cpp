#include "cli/pad_command.h"

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
        return UsageError("PAD must be a bank letter C to J and a pad number 0 to 15, not '" + pad +
                          "'");
    }
    pad_ = *address;
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
    if (!context_.loadCardAndSelectPad(card, pad_.bank, pad_.pad)) {
        return int(ExitFailed);
    }
    context_.useTerminalProgress();
    return std::nullopt;
}

bool CPadCommand::confirm(int id, bool assumeYes) {
    CTerminalTextDialog dialog(assumeYes, stdin, stderr, ::isatty(STDIN_FILENO) != 0);
    const int answer = dialog.ask(UL::ITextDialog::ButtonsOkCancel, UL::ITextDialog::IconQuestion,
                                  MessageCatalogue::Instance().text(id));
    return answer == UL::ITextDialog::AnswerOk;
}

} // namespace ZQ3
