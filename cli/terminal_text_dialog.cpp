#include "cli/terminal_text_dialog.h"

#include "app/localized_text.h"
#include "gt/ascii_case.h"

#include <cctype>
#include <string>

namespace ZQ3 {
namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace

CTerminalTextDialog::CTerminalTextDialog(bool assumeYes, std::FILE* input, std::FILE* output,
                                         bool interactive)
    : assumeYes_(assumeYes), input_(input), output_(output), interactive_(interactive) {}

int CTerminalTextDialog::ask(int buttons, int, const std::string& text) {
    const bool yesNo = buttons == ButtonsYesNo || buttons == ButtonsYesNoCancel;
    const int accept = yesNo ? AnswerYes : AnswerOk;
    if (buttons != ButtonsOkCancel && !yesNo) {
        // A box with OK alone only informs.
        std::fprintf(output_, "%s\n", text.c_str());
        return AnswerOk;
    }
    if (assumeYes_) {
        return accept;
    }
    if (!interactive_) {
        return AnswerCancel;
    }
    const std::string choices = yesNo ? Localized("[y/N]") : Localized("[ok/Cancel]");
    std::fprintf(output_, "%s %s ", text.c_str(), choices.c_str());
    std::fflush(output_);
    char line[256];
    if (std::fgets(line, sizeof line, input_) == nullptr) {
        std::fputc('\n', output_);
        return AnswerCancel;
    }
    const std::string answer = GT::AsciiLowered(Trimmed(line));
    // The Japanese words are accepted whatever the language, as the English ones are.
    if (answer == "y" || answer == "yes" || answer == "o" || answer == "ok" || answer == "はい") {
        return accept;
    }
    if (yesNo && (answer == "n" || answer == "no" || answer == "いいえ")) {
        return AnswerNo;
    }
    return AnswerCancel;
}

} // namespace ZQ3
