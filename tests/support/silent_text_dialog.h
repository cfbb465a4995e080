#pragma once

#include "ul/text_dialog.h"

#include <deque>
#include <vector>

namespace UL {

// A text dialog for tests: remembers every question and answers
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
