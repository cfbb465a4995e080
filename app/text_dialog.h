#pragma once

#include <cstdarg>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

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

    // ask with a printf-style text. A separate name keeps a plain text that happens to contain
    // "%" from being read as a format.
    int askFormatted(int buttons, int icon, const char* format, ...)
        __attribute__((format(printf, 4, 5))) {
        va_list arguments;
        va_start(arguments, format);
        std::string text = FormatText(format, arguments);
        va_end(arguments);
        return ask(buttons, icon, text);
    }

private:
    static std::string FormatText(const char* format, va_list arguments) {
        va_list measuring;
        va_copy(measuring, arguments);
        const int length = std::vsnprintf(nullptr, 0, format, measuring);
        va_end(measuring);
        if (length <= 0) {
            return {};
        }
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        std::vsnprintf(text.data(), text.size(), format, arguments);
        text.resize(static_cast<std::size_t>(length));
        return text;
    }
};

// A text dialog for tests and for work without a display: remembers every question and answers
// from a script of queued answers, then with the accepting answer of the buttons offered (OK, or
// Yes), so it never cancels unless told to.
class CSilentTextDialog : public ITextDialog {
public:
    struct Question {
        int buttons;
        int icon;
        std::string text;
    };

    int ask(int buttons, int icon, const std::string& text) override {
        questions_.push_back({buttons, icon, text});
        if (!answers_.empty()) {
            const int answer = answers_.front();
            answers_.pop_front();
            return answer;
        }
        return AcceptingAnswer(buttons);
    }

    // The next question is answered with answer, the one after with the next queued answer.
    void queueAnswer(int answer) { answers_.push_back(answer); }

    const std::vector<Question>& questions() const { return questions_; }

    static int AcceptingAnswer(int buttons) {
        return buttons == ButtonsYesNo || buttons == ButtonsYesNoCancel ? AnswerYes : AnswerOk;
    }

private:
    std::vector<Question> questions_;
    std::deque<int> answers_;
};

} // namespace UL
