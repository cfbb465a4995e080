#include "cli/pad_command.h"

#include "app/message_catalogue.h"
#include "cli/interrupt.h"
#include "cli/terminal_text_dialog.h"

#include <cstdio>
#include <unistd.h>

namespace ZQ3 {

std::optional<int> CPadCommand::prepare(const std::string& card, const std::string& pad) {
    const auto address = ParsePadName(pad);
    if (!address) {
        return UsageError("PAD must be a bank letter C to J and a pad number 0 to 15, not '" + pad +
                          "'");
    }
    pad_ = *address;
    if (!context_.loadCardAndSelectPad(card, pad_.bank, pad_.pad)) {
        return int(ExitFailed);
    }
    InstallInterruptHandler();
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
