// The delete command: the slot's files go, its record becomes the default record, and nothing
// else on the card changes.

#include "tests/support/card_command_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ZQ3 {
namespace {

class DeleteCommandTest : public Fixture::CardCommandTest {
protected:
    std::string RecordBytes(int slot) const {
        return InformationBytes().substr(static_cast<std::size_t>(slot) * 23, 23);
    }
};

const std::string DefaultRecord("\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x7F\x03\xFC\0\x03\xFC", 23);

TEST_F(DeleteCommandTest, EmptiesAMonoPadThatHasNoRightFile) {
    LoadEmptyCard(3, 7);
    PutSample(7, 1, 4000);
    ASSERT_FALSE(std::filesystem::exists(RightFile(7)));
    view.calls.clear();

    EXPECT_EQ(controller().deletePad(7), CommandOutcome::Succeeded);

    EXPECT_TRUE(Texts().empty());
    EXPECT_FALSE(std::filesystem::exists(LeftFile(7)));
    EXPECT_EQ(RecordBytes(CardLayout::Slot(3, 7)), DefaultRecord);
    EXPECT_EQ(domain.model->entryOf(7), SampleEntry{});
    EXPECT_FALSE(domain.model->hasSample(7));
    EXPECT_EQ(domain.model->selectedPad, 7);
    // The bank list stays as it is.
    EXPECT_EQ(view.calls, (std::vector<std::string>{"pads", "import", "export", "delete"}));
    EXPECT_FALSE(view.exportEnabled);
    EXPECT_FALSE(view.deleteEnabled);
    EXPECT_TRUE(Fixture::TemporaryLeftovers(CardDirectory()).empty());
    EXPECT_TRUE(Fixture::FileNames(temporaryDirectory).empty());
}

TEST_F(DeleteCommandTest, RemovesBothFilesOfAStereoPadAndNothingElse) {
    std::vector<SampleEntry> entries(CardLayout::SlotCount);
    entries[0].option17 = 0;
    entries[0].tempo = 0;
    entries[0].tempo2 = 0;
    entries[127].frameCount = 32;
    entries[127].flag15 = true;
    LoadCard(entries, 1, 5);
    PutSample(5, 2, 4000);
    PutSample(6, 1, 4000, 8);
    const std::vector<SampleEntry> before = CardEntries();

    EXPECT_EQ(controller().deletePad(5), CommandOutcome::Succeeded);

    std::vector<SampleEntry> expected = before;
    expected[CardLayout::Slot(1, 5)] = SampleEntry{};
    EXPECT_EQ(CardEntries(), expected);
    EXPECT_EQ(domain.model->entries, expected);
    EXPECT_FALSE(std::filesystem::exists(LeftFile(5)));
    EXPECT_FALSE(std::filesystem::exists(RightFile(5)));
    EXPECT_TRUE(std::filesystem::exists(LeftFile(6)));
    EXPECT_EQ(Fixture::FileNames(CardDirectory()),
              (std::vector<std::string>{"SMP0016L.ZQD", "WVCINFO0.ZQD"}));
}

TEST_F(DeleteCommandTest, ANameOnTheCardThatCannotBeClearedChangesNothing) {
    LoadEmptyCard();
    PutSample(5, 1, 4000);
    // A folder where the new information file is to be staged can be removed by nobody.
    std::filesystem::create_directory(CardDirectory() +
                                      "___ZQ3_TEMPORARY_SAMPLE_INFORMATION_FILE___");
    const std::string before = InformationBytes();

    EXPECT_EQ(controller().deletePad(5), CommandOutcome::Failed);

    EXPECT_EQ(Texts(), std::vector<std::string>{
                           Line(MessageDeletionFailed,
                                "A folder is in the way at " + CardDirectory() +
                                    "___ZQ3_TEMPORARY_SAMPLE_INFORMATION_FILE___: the converter "
                                    "keeps only its own regular files under this name. Move or "
                                    "remove it, then try again; nothing was changed.")});
    EXPECT_EQ(InformationBytes(), before);
    EXPECT_TRUE(std::filesystem::exists(LeftFile(5)));
    EXPECT_TRUE(Fixture::FileNames(temporaryDirectory).empty());
}

TEST_F(DeleteCommandTest, WithoutACardOrForABadPadNothingHappens) {
    EXPECT_EQ(controller().deletePad(0), CommandOutcome::Failed);
    LoadEmptyCard();
    const std::string before = InformationBytes();
    EXPECT_EQ(controller().deletePad(16), CommandOutcome::Failed);
    EXPECT_EQ(controller().deletePad(-1), CommandOutcome::Failed);
    EXPECT_EQ(Texts(), (std::vector<std::string>(3, Line(MessageDeletionFailed))));
    EXPECT_EQ(InformationBytes(), before);
}

} // namespace
} // namespace ZQ3
