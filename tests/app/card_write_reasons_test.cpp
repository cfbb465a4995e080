// A change of the card that the card itself refuses (read-only, full, or pulled out) says so,
// and what to do, rather than the command's message alone; the card stays as it was.

#include "app/command_availability.h"
#include "card/temporary_names.h"
#include "tests/support/card_command_fixture.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/read_only_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace ZQ3 {
namespace {

// text is message's line followed by a reason that holds every one of parts.
void ExpectSays(const std::string& text, const std::string& messageLine,
                std::initializer_list<std::string> parts) {
    EXPECT_TRUE(text.starts_with(messageLine)) << text;
    EXPECT_GT(text.size(), messageLine.size()) << "no reason given";
    for (const std::string& part : parts) {
        EXPECT_NE(text.find(part), std::string::npos) << part << " not in: " << text;
    }
}

class CardWriteReasonsTest : public Fixture::CardCommandTest {
protected:
    void SetUp() override {
        std::filesystem::remove_all(root);
        LoadEmptyCard();
        PutSample(5, 2, 4000);
        source = directory / "new.wav";
        Fixture::WriteSamplesFile(source, Fixture::TestSignal(1, 4000, 3), 1,
                                  CardLayout::FileFormatWave);
        before = InformationBytes();
        printer.printer->texts.clear();
    }

    // Runs command on fs and answers the one text it reported.
    std::string OnlyText(IFileSystem& fs, const std::function<CommandOutcome()>& command) {
        controller().setFileSystem(fs);
        EXPECT_EQ(command(), CommandOutcome::Failed);
        controller().setFileSystem(PosixFileSystem());
        const std::vector<std::string> texts = Texts();
        printer.printer->texts.clear();
        return texts.size() == 1 ? texts[0] : ::testing::PrintToString(texts);
    }
    CommandOutcome Import() { return controller().importFile(source); }
    CommandOutcome Delete() { return controller().deletePad(5); }

    // The card holds what it held before the command, once opened again.
    void ExpectCardAsItWas() {
        ASSERT_TRUE(controller().selectDrive(root, 1));
        EXPECT_EQ(InformationBytes(), before);
        EXPECT_TRUE(Fixture::TemporaryLeftovers(CardDirectory()).empty());
    }

    // The number of the first write after the call logged as line, found in a run that fails
    // nothing.
    int WriteAfter(const std::string& line, const std::function<CommandOutcome()>& command) {
        faulty.countOnly();
        controller().setFileSystem(faulty);
        EXPECT_EQ(command(), CommandOutcome::Succeeded);
        controller().setFileSystem(PosixFileSystem());
        const std::vector<std::string>& log = faulty.log();
        const int opened = faulty.callNumberOf(line);
        for (auto call = static_cast<std::size_t>(opened); opened > 0 && call < log.size();
             ++call) {
            if (log[call] == "write") {
                return static_cast<int>(call) + 1;
            }
        }
        ADD_FAILURE() << "no write after " << line;
        return 0;
    }

    std::string source;
    std::string before;
    Testing::CFaultyFileSystem faulty;
};

TEST_F(CardWriteReasonsTest, AReadOnlyCardTurnsOffImportAndDeleteAndRefusesThemWithTheReason) {
    Testing::CReadOnlyFileSystem readOnly;
    controller().setFileSystem(readOnly);
    ASSERT_TRUE(controller().selectDrive(root, 1));
    ASSERT_TRUE(controller().selectPad(5));

    EXPECT_FALSE(view.importEnabled);
    EXPECT_FALSE(view.deleteEnabled);
    EXPECT_TRUE(view.exportEnabled);
    const CommandAvailability commands = AvailableCommands(*domain.model);
    ExpectSays(commands.deletePad.reason, root + ":", {"read-only", "write-protect"});
    EXPECT_EQ(commands.importFile.reason, commands.deletePad.reason);
    EXPECT_FALSE(commands.cardNotice.empty());

    // A front end that asks anyway (zq3, a drop onto a pad) hears why, before anything runs.
    const std::string reason = commands.importFile.reason;
    ExpectSays(OnlyText(readOnly, [&] { return Import(); }), Line(MessageImportFailed), {reason});
    ExpectSays(OnlyText(readOnly, [&] { return Delete(); }), Line(MessageDeletionFailed), {reason});
    EXPECT_EQ(progress->beginCount(), 0);
    ExpectCardAsItWas();
    ASSERT_TRUE(controller().selectPad(5));
    EXPECT_TRUE(view.importEnabled);
}

TEST_F(CardWriteReasonsTest, ACardThatRefusesTheStagedFileIsCalledReadOnly) {
    faulty.failEvery("open " + CardDirectory() + TemporaryNames::SampleFile, EROFS);
    ExpectSays(OnlyText(faulty, [&] { return Import(); }), Line(MessageImportFailed),
               {"read-only", "The card is as it was."});
    ExpectCardAsItWas();
}

TEST_F(CardWriteReasonsTest, ACardThatRunsFullSaysSo) {
    // An import whose channel file meets a full card half-way, and a delete whose journal does.
    const int channelWrite = WriteAfter("open " + CardDirectory() + TemporaryNames::SampleFile,
                                        [&] { return Import(); });
    SetUp();
    faulty.failCall(channelWrite, ENOSPC);
    ExpectSays(OnlyText(faulty, [&] { return Import(); }), Line(MessageImportFailed),
               {"the card is full", "The card is as it was."});
    ExpectCardAsItWas();

    const int journalWrite = WriteAfter("open " + CardDirectory() + TemporaryNames::JournalFile,
                                        [&] { return Delete(); });
    SetUp();
    faulty.failCall(journalWrite, ENOSPC);
    ExpectSays(OnlyText(faulty, [&] { return Delete(); }), Line(MessageDeletionFailed),
               {"the card is full"});
    ExpectCardAsItWas();
    EXPECT_TRUE(domain.model->hasSample(5));
}

TEST_F(CardWriteReasonsTest, ACardPulledOutMidCommandIsSaidToBeRemoved) {
    const int channelWrite = WriteAfter("open " + CardDirectory() + TemporaryNames::SampleFile,
                                        [&] { return Import(); });
    SetUp();
    // From that write on, every call finds no device.
    faulty.failFrom(channelWrite, ENODEV);
    ExpectSays(OnlyText(faulty, [&] { return Import(); }), Line(MessageImportFailed),
               {"was removed", "The card is as it was."});
    ExpectCardAsItWas();
}

} // namespace
} // namespace ZQ3
