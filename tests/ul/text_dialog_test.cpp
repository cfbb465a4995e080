#include "tests/support/silent_text_dialog.h"

#include <gtest/gtest.h>

namespace UL {
namespace {

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
