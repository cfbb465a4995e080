#pragma once

#include "ul/text_dialog.h"

#include <cstdio>

namespace ZQ3 {

// Questions on the terminal. With --yes every question is answered with OK; otherwise a
// question is asked only when standard input is a terminal, and without one the answer is
// Cancel, so that a script never overwrites or deletes a sample it did not ask for.
class CTerminalTextDialog : public UL::ITextDialog {
public:
    CTerminalTextDialog(bool assumeYes, std::FILE* input, std::FILE* output, bool interactive);

    int ask(int buttons, int icon, const std::string& text) override;

private:
    bool assumeYes_;
    std::FILE* input_;
    std::FILE* output_;
    bool interactive_;
};

} // namespace ZQ3
