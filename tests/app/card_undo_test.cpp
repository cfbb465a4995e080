// Undo and redo of every kind of card change (import, batch, delete, move, restore) through the
// history the commands keep: the card comes back byte for byte, and a card another program changed
// is refused with the file named.

#include "app/card_backup.h"
#include "app/card_undo.h"
#include "app/pad_transfer.h"
#include "tests/support/card_command_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace ZQ3 {
namespace {

using CardFiles = std::map<std::string, std::string>;

class CardUndoTest : public Fixture::CardCommandTest {
protected:
    CardUndoTest() {
        ::setenv("XDG_DATA_HOME", (directory / "data").c_str(), 1);
        ::unsetenv("ZQ3_HISTORY_LIMIT");
        controller().setRecordsHistory(true);
    }

    CardFiles Card() const { return Fixture::FilesBelow(root); }

    CommandOutcome Step(HistoryDirection direction) {
        printer.printer->texts.clear();
        return controller().stepThroughHistory(direction);
    }

    // Moves pad 5 of bank D (slot 21) to pad 9 of the same bank.
    void Move() {
        PadTransferOptions options;
        options.kind = PadTransferKind::Move;
        options.recordHistory = true;
        ASSERT_EQ(TransferPads(root, root, {{21, 25}}, options).problem,
                  PadTransferring::Problem::None);
        ASSERT_TRUE(controller().selectDrive(root, 1));
    }
};

TEST_F(CardUndoTest, UndoOfEachChangeGivesTheCardBeforeItAndRedoTheCardAfterIt) {
    LoadEmptyCard();
    std::vector<CardFiles> states{Card()};
    PutSample(5, 2, 3300);
    states.push_back(Card());
    const std::string a = directory / "a.wav";
    const std::string b = directory / "b.wav";
    Fixture::WriteSamplesFile(a, Fixture::TestSignal(1, 3300, 3), 1, CardLayout::FileFormatWave);
    Fixture::WriteSamplesFile(b, Fixture::TestSignal(2, 3400, 4), 2, CardLayout::FileFormatWave);
    // A batch that replaces the stereo sample with a mono one and fills the next pad.
    ASSERT_EQ(controller().importFiles({{a, 21}, {b, 22}}), CommandOutcome::Succeeded);
    states.push_back(Card());
    const std::string backup = directory / "card.tar";
    ASSERT_EQ(BackUpCard(root, backup, {}).problem, CardBackupResult::Problem::None);
    ASSERT_EQ(controller().deletePad(6), CommandOutcome::Succeeded);
    states.push_back(Card());
    Move();
    states.push_back(Card());
    // A restore of the card as it was after the batch.
    CardBackupOptions restoring;
    restoring.recordHistory = true;
    ASSERT_EQ(RestoreCard(root, backup, restoring).problem, CardBackupResult::Problem::None);
    ASSERT_TRUE(controller().selectDrive(root, 1));
    states.push_back(Card());
    EXPECT_TRUE(states.back() == states[2]);

    const std::optional<HistoryEntry> last = controller().nextHistoryStep(HistoryDirection::Undo);
    ASSERT_TRUE(last);
    EXPECT_EQ(ChangeDescriptionText(last->description), "Restore card.tar");
    for (std::size_t undone = 1; undone < states.size(); ++undone) {
        ASSERT_EQ(Step(HistoryDirection::Undo), CommandOutcome::Succeeded) << undone;
        EXPECT_TRUE(Card() == states[states.size() - 1 - undone]) << undone;
        // The pads show what the card holds.
        EXPECT_EQ(domain.model->entries, CardEntries());
    }
    EXPECT_EQ(Step(HistoryDirection::Undo), CommandOutcome::Failed);
    EXPECT_TRUE(Card() == states.front());
    for (std::size_t redone = 1; redone < states.size(); ++redone) {
        ASSERT_EQ(Step(HistoryDirection::Redo), CommandOutcome::Succeeded) << redone;
        EXPECT_TRUE(Card() == states[redone]) << redone;
    }
    EXPECT_EQ(Step(HistoryDirection::Redo), CommandOutcome::Failed);
}

TEST_F(CardUndoTest, UndoRefusesNamingTheFileAnotherProgramChanged) {
    LoadEmptyCard();
    PutSample(5, 1, 3300);
    PutSample(6, 1, 3300, 9);
    // Another program rewrote the channel file of D6 (slot 22) behind the converter's back.
    const std::string changed = CardLayout::LeftFilePath(root, 22);
    Fixture::WriteFileBytes(changed, Fixture::ReadFileBytes(changed) + "x");
    const CardFiles before = Card();

    EXPECT_EQ(Step(HistoryDirection::Undo), CommandOutcome::Failed);
    EXPECT_TRUE(Card() == before);
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_NE(Texts()[0].find("D6 (file " + CardLayout::LeftFileName(22) + ")"), std::string::npos)
        << Texts()[0];
    EXPECT_EQ(Texts()[0].find("D5"), std::string::npos) << Texts()[0];
}

TEST_F(CardUndoTest, ANewChangeAfterAnUndoEndsTheRedo) {
    LoadEmptyCard();
    PutSample(5, 1, 3300);
    ASSERT_EQ(Step(HistoryDirection::Undo), CommandOutcome::Succeeded);
    ASSERT_TRUE(controller().nextHistoryStep(HistoryDirection::Redo));
    PutSample(6, 1, 3300, 9);
    EXPECT_FALSE(controller().nextHistoryStep(HistoryDirection::Redo));
    EXPECT_EQ(Step(HistoryDirection::Redo), CommandOutcome::Failed);
}

TEST_F(CardUndoTest, AChangeWhoseHistoryCannotBeWrittenIsRefusedAndSaysWhy) {
    LoadEmptyCard();
    // A file where the history's folder would be.
    Fixture::WriteFileBytes(directory / "data", "");
    const CardFiles before = Card();
    const std::string source = directory / "s.wav";
    Fixture::WriteSamplesFile(source, Fixture::TestSignal(1, 3300), 1, CardLayout::FileFormatWave);
    EXPECT_EQ(controller().importFile(source), CommandOutcome::Failed);
    EXPECT_TRUE(Card() == before);
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_NE(Texts()[0].find("could not be written on the computer"), std::string::npos)
        << Texts()[0];
    EXPECT_EQ(Fixture::TemporaryLeftovers(CardDirectory()), std::vector<std::string>{});
}

} // namespace
} // namespace ZQ3
