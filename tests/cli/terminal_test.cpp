#include "app/message_catalogue.h"
#include "cli/cli_context.h"
#include "cli/interrupt.h"
#include "cli/terminal_progress.h"
#include "cli/terminal_text_dialog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace ZQ3 {
namespace {

// A FILE* over memory that the test can read back.
class MemoryFile {
public:
    explicit MemoryFile(const std::string& input = {}) : input_(input) {
        file_ = input.empty() ? ::open_memstream(&buffer_, &size_)
                              : ::fmemopen(input_.data(), input_.size(), "r");
    }
    ~MemoryFile() {
        std::fclose(file_);
        std::free(buffer_);
    }
    std::FILE* get() { return file_; }
    std::string text() {
        std::fflush(file_);
        return std::string(buffer_, size_);
    }

private:
    std::string input_;
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* file_;
};

TEST(TerminalProgress, RedrawsOnlyWhenTheShownLineChanges) {
    MemoryFile output;
    CTerminalProgress progress(output.get());
    progress.begin(10'000'000, "Converting...", true);
    for (int i = 0; i < 10'000'000; ++i) {
        progress.step();
    }
    EXPECT_EQ(progress.shownPermille(), 1000);
    // Once for each whole percent, 0 to 100.
    EXPECT_EQ(progress.redrawCount(), 101);
    progress.end();
    const std::string text = output.text();
    EXPECT_NE(text.find("Converting... [##############################] 100%"), std::string::npos);
}

TEST(TerminalProgress, RangesOfEveryScale) {
    CTerminalProgress progress(nullptr);
    progress.begin(0, "", false);
    progress.setPosition(5);
    EXPECT_EQ(progress.shownPermille(), 0);
    progress.setRange(INT64_MAX);
    progress.setPosition(INT64_MAX / 2);
    EXPECT_EQ(progress.shownPermille(), 500);
    progress.setRange(3);
    progress.setPosition(7);
    EXPECT_EQ(progress.shownPermille(), 1000);
}

TEST(TerminalProgress, InterruptCancelsOnlyACancellablePhase) {
    ClearInterrupt();
    InstallInterruptHandler();
    CTerminalProgress progress(nullptr);
    progress.begin(100, "Finalizing...", false);
    std::raise(SIGINT);
    EXPECT_TRUE(InterruptRequested());
    EXPECT_FALSE(progress.isCancelled());
    progress.setCancellable(true);
    EXPECT_TRUE(progress.isCancelled());
    ClearInterrupt();
    std::signal(SIGINT, SIG_DFL);
}

// After Ctrl-C the tool says what became of the command, once: cancelled, or finished because
// the change had been committed; nothing when the command has said so itself.
TEST(Interrupt, TheToolSaysWhatCtrlCDid) {
    MessageCatalogue::Instance().fill(LanguageEnglish);
    ClearInterrupt();
    InstallInterruptHandler();
    std::raise(SIGINT);
    const auto said = [](const std::string& command, int exitCode, bool noteFirst) {
        CCliContext context;
        context.setCommand(command);
        ::testing::internal::CaptureStderr();
        if (noteFirst) {
            context.note("Nothing was changed.");
        }
        EXPECT_EQ(context.settleInterrupt(exitCode), exitCode);
        return ::testing::internal::GetCapturedStderr();
    };
    EXPECT_EQ(said("import", ExitCancelled, false),
              "zq3: import: Cancelled; the card is as it was.\n");
    EXPECT_NE(said("delete", ExitDone, false).find("the change was finished"), std::string::npos);
    EXPECT_EQ(said("import", ExitCancelled, true), "zq3: import: Nothing was changed.\n");
    ClearInterrupt();
    std::signal(SIGINT, SIG_DFL);
    EXPECT_EQ(said("delete", ExitDone, false), "");
}

TEST(TerminalTextDialog, AnswersFromTheTerminalOrTheDefaults) {
    using UL::ITextDialog;
    MessageCatalogue::Instance().fill(LanguageEnglish);
    {
        MemoryFile input("ok\n");
        MemoryFile output;
        CTerminalTextDialog dialog(false, input.get(), output.get(), true);
        EXPECT_EQ(dialog.ask(ITextDialog::ButtonsOkCancel, ITextDialog::IconQuestion, "Go?"),
                  ITextDialog::AnswerOk);
        EXPECT_EQ(output.text(), "Go? [ok/Cancel] ");
    }
    {
        MemoryFile input("  no \n");
        MemoryFile output;
        CTerminalTextDialog dialog(false, input.get(), output.get(), true);
        EXPECT_EQ(dialog.ask(ITextDialog::ButtonsOkCancel, 0, "Go?"), ITextDialog::AnswerCancel);
        // End of input is Cancel too.
        EXPECT_EQ(dialog.ask(ITextDialog::ButtonsOkCancel, 0, "Go?"), ITextDialog::AnswerCancel);
    }
    {
        MemoryFile input("n\n");
        MemoryFile output;
        CTerminalTextDialog dialog(false, input.get(), output.get(), true);
        EXPECT_EQ(dialog.ask(ITextDialog::ButtonsYesNoCancel, 0, "Save?"), ITextDialog::AnswerNo);
    }
    {
        // Japanese questions offer the Japanese words, and take them.
        MessageCatalogue::Instance().fill(LanguageJapanese);
        MemoryFile input("はい\nいいえ\n");
        MemoryFile output;
        CTerminalTextDialog dialog(false, input.get(), output.get(), true);
        EXPECT_EQ(dialog.ask(ITextDialog::ButtonsOkCancel, 0, "Go?"), ITextDialog::AnswerOk);
        EXPECT_EQ(dialog.ask(ITextDialog::ButtonsOkCancel, 0, "Go?"), ITextDialog::AnswerCancel);
        EXPECT_EQ(output.text(), "Go? [はい/いいえ] Go? [はい/いいえ] ");
        MessageCatalogue::Instance().fill(LanguageEnglish);
    }
    MemoryFile output;
    CTerminalTextDialog notInteractive(false, stdin, output.get(), false);
    EXPECT_EQ(notInteractive.ask(ITextDialog::ButtonsOkCancel, 0, "Go?"),
              ITextDialog::AnswerCancel);
    CTerminalTextDialog assumeYes(true, stdin, output.get(), false);
    EXPECT_EQ(assumeYes.ask(ITextDialog::ButtonsOkCancel, 0, "Go?"), ITextDialog::AnswerOk);
    EXPECT_EQ(assumeYes.ask(ITextDialog::ButtonsYesNo, 0, "Go?"), ITextDialog::AnswerYes);
    EXPECT_TRUE(output.text().empty());
}

// The converter's handler lets Ctrl-C interrupt the read of an answer: the question ends as
// Cancel at once instead of waiting for a line that may never come.
TEST(TerminalTextDialog, CtrlCAtAQuestionAnswersCancel) {
    ClearInterrupt();
    InstallInterruptHandler();
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    std::FILE* input = ::fdopen(ends[0], "r");
    ASSERT_NE(input, nullptr);
    MemoryFile output;
    std::atomic<bool> answered{false};
    int answer = -1;
    std::thread asking([&] {
        CTerminalTextDialog dialog(false, input, output.get(), true);
        answer = dialog.ask(UL::ITextDialog::ButtonsOkCancel, UL::ITextDialog::IconQuestion, "Go?");
        answered = true;
    });
    // The key may come before the question starts reading, so it is pressed until the question
    // ends, for ten seconds at most; a question that never ends is then answered "ok".
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!answered && std::chrono::steady_clock::now() < deadline) {
        ::pthread_kill(asking.native_handle(), SIGINT);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!answered) {
        EXPECT_EQ(::write(ends[1], "ok\n", 3), 3);
    }
    asking.join();
    EXPECT_EQ(answer, UL::ITextDialog::AnswerCancel);
    EXPECT_TRUE(InterruptRequested());
    std::fclose(input);
    ::close(ends[1]);
    ClearInterrupt();
    std::signal(SIGINT, SIG_DFL);
}

} // namespace
} // namespace ZQ3
