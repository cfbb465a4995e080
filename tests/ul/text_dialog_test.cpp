#include "tests/support/silent_text_dialog.h"

#include <gtest/gtest.h>

namespace UL {
namespace {

TEST(TextDialog, ADetailFollowsTheTextWhereTheBoxCannotShowItApart) {
    CSilentTextDialog dialog;
    dialog.askWithDetail(ITextDialog::ButtonsOk, ITextDialog::IconWarning, "Import failed.",
                         "a.wav: 8-bit");
    dialog.askWithDetail(ITextDialog::ButtonsOk, ITextDialog::IconWarning, "OK to delete?", "");
    ASSERT_EQ(dialog.questions().size(), 2u);
    EXPECT_EQ(dialog.questions()[0].text, "Import failed.\n\na.wav: 8-bit");
    EXPECT_EQ(dialog.questions()[1].text, "OK to delete?");
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
