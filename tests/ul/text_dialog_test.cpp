#include "tests/support/silent_text_dialog.h"

#include <gtest/gtest.h>

namespace UL {
namespace {

TEST(TextDialog, FormattedQuestionAsksTheFormattedText) {
    CSilentTextDialog dialog;
    dialog.askFormatted(ITextDialog::ButtonsOk, ITextDialog::IconWarning, "%s %d/%d", "Copying...",
                        1, 2);
    ASSERT_EQ(dialog.questions().size(), 1u);
    EXPECT_EQ(dialog.questions()[0].text, "Copying... 1/2");
    EXPECT_EQ(dialog.questions()[0].icon, ITextDialog::IconWarning);

    // A long text is not cut at any buffer size.
    const std::string longText(5000, 'x');
    dialog.askFormatted(ITextDialog::ButtonsOk, ITextDialog::IconError, "%s!", longText.c_str());
    EXPECT_EQ(dialog.questions()[1].text, longText + "!");
}

TEST(TextDialog, PlainTextIsNeverReadAsAFormat) {
    CSilentTextDialog dialog;
    dialog.ask(ITextDialog::ButtonsOk, ITextDialog::IconError, "100% %s %n");
    EXPECT_EQ(dialog.questions()[0].text, "100% %s %n");
}

TEST(TextDialog, SilentDialogAcceptsUnlessAnswersAreQueued) {
    CSilentTextDialog dialog;
    EXPECT_EQ(dialog.ask(ITextDialog::ButtonsOkCancel, ITextDialog::IconQuestion, "OK?"),
              ITextDialog::AnswerOk);
    EXPECT_EQ(dialog.ask(ITextDialog::ButtonsYesNoCancel, ITextDialog::IconQuestion, "Yes?"),
              ITextDialog::AnswerYes);

    dialog.queueAnswer(ITextDialog::AnswerNo);
    dialog.queueAnswer(ITextDialog::AnswerCancel);
    EXPECT_EQ(dialog.ask(ITextDialog::ButtonsYesNo, ITextDialog::IconQuestion, "a"),
              ITextDialog::AnswerNo);
    EXPECT_EQ(dialog.ask(ITextDialog::ButtonsYesNoCancel, ITextDialog::IconQuestion, "b"),
              ITextDialog::AnswerCancel);
    EXPECT_EQ(dialog.ask(ITextDialog::ButtonsYesNo, ITextDialog::IconQuestion, "c"),
              ITextDialog::AnswerYes);
}

} // namespace
} // namespace UL
