#pragma once

#include <string>

namespace UL {

// Questions and error texts for the user, with the program's own codes for the buttons offered,
// the icon shown and the answer given, whatever the platform's message box calls them.
class ITextDialog {
public:
    // Buttons offered; any other value offers OK alone.
    static constexpr int ButtonsOk = 0;
    static constexpr int ButtonsOkCancel = 1;
    static constexpr int ButtonsYesNo = 2;
    static constexpr int ButtonsYesNoCancel = 3;

    // Icons; any other value shows the warning icon.
    static constexpr int IconQuestion = 0;
    static constexpr int IconWarning = 1;
    static constexpr int IconError = 2;

    // Answers. Closing the box counts as Cancel.
    static constexpr int AnswerOk = 0;
    static constexpr int AnswerCancel = 1;
    static constexpr int AnswerYes = 2;
    static constexpr int AnswerNo = 3;

    virtual ~ITextDialog() = default;

    // Shows text and waits for the answer.
    virtual int ask(int buttons, int icon, const std::string& text) = 0;

    // ask with the reason behind text; an empty detail asks text alone. A box that cannot show
    // the detail apart gets it after the text.
    virtual int askWithDetail(int buttons, int icon, const std::string& text,
                              const std::string& detail) {
        return ask(buttons, icon, detail.empty() ? text : text + "\n\n" + detail);
    }
};

} // namespace UL
