#include "app/card_repair.h"
#include "card/card_layout.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace ZQ3 {
namespace {

using namespace Fixture;
namespace fs = std::filesystem;
using Action = SlotRepair::Action;

SampleEntry Sample(std::int32_t frames, bool stereo) {
    SampleEntry entry;
    entry.frameCount = frames;
    entry.rangeEnd = frames;
    entry.stereo = stereo;
    entry.option14 = 1;
    return entry;
}

class CardRepairTest : public ::testing::Test {
protected:
    void SetUp() override {
        entries_.assign(CardLayout::SlotCount, SampleEntry{});
        MakeEmptyCard(root_);
    }
    void Channel(int slot, bool right, std::size_t bytes, char fill = 'a') {
        const auto path =
            right ? CardLayout::RightFilePath(root_, slot) : CardLayout::LeftFilePath(root_, slot);
        WriteFileBytes(path, std::string(bytes, fill));
    }
    // A card whose pads 0 (mono) and 1 (stereo) are sound, whose record 2 is damaged although
    // its stereo files are whole, whose record 3 is damaged with no files left, whose empty pad
    // 4 still has a file, and whose information file ends inside record 100.
    void MakeDamagedCard() {
        entries_[0] = Sample(32, false);
        entries_[1] = Sample(16, true);
        entries_[2] = Sample(48, true);
        entries_[3] = Sample(16, false);
        MakeCard(root_, entries_);
        Channel(0, false, 32, 'l');
        Channel(1, false, 16, 'm');
        Channel(1, true, 16, 'n');
        Channel(2, false, 48);
        Channel(2, true, 48);
        Channel(4, false, 16);
        Channel(120, false, 64); // a pad past the file's end, with its file
        std::string bytes = ReadFileBytes(CardLayout::InformationFilePath(root_));
        bytes[2 * 23 + 9] = '\xFF'; // frame count of 2
        bytes[2 * 23 + 8] = '\xFF';
        bytes[2 * 23 + 10] = '\xFF';
        bytes[2 * 23 + 11] = '\xFF';
        bytes[3 * 23 + 12] = '\xFF'; // lo-fi byte of 3
        bytes.resize(100 * 23 + 7);
        fs::remove(CardLayout::InformationFilePath(root_));
        WriteFileBytes(CardLayout::InformationFilePath(root_), bytes);
    }
    CardRepairing Repair(bool answer = true) {
        asked_ = false;
        return RepairCard(root_, [&](const CardCheck&, const CardRepairPlan&) {
            asked_ = true;
            return answer;
        });
    }

    TemporaryDirectory directory_;
    std::string root_ = directory_.path();
    std::vector<SampleEntry> entries_;
    bool asked_ = false;
};

TEST_F(CardRepairTest, KeepsSoundPadsRebuildsFromFilesEmptiesTheRestAndKeepsTheOldFile) {
    MakeDamagedCard();
    const auto before = FilesBelow(root_);
    const std::string oldInformation = ReadFileBytes(CardLayout::InformationFilePath(root_));

    const CardRepairing repairing = Repair();
    ASSERT_EQ(repairing.problem, CardRepairing::Problem::None);
    EXPECT_TRUE(asked_);

    const std::vector<std::pair<int, Action>> expected = {
        {2, Action::Rebuilt}, {3, Action::Emptied}, {100, Action::Emptied}, {120, Action::Rebuilt}};
    std::vector<std::pair<int, Action>> planned;
    for (const SlotRepair& slot : repairing.plan.slotRepairs) {
        planned.emplace_back(slot.slot, slot.action);
    }
    EXPECT_EQ(planned, expected);

    EXPECT_TRUE(CheckCard(root_).IsClean());
    const auto entries = ReadSampleInformationFile(CardLayout::InformationFilePath(root_));
    ASSERT_TRUE(entries);
    EXPECT_EQ((*entries)[0], entries_[0]);
    EXPECT_EQ((*entries)[1], entries_[1]);
    EXPECT_EQ((*entries)[2].frameCount, 48);
    EXPECT_TRUE((*entries)[2].stereo);
    EXPECT_EQ((*entries)[2].tempo, (*entries)[2].tempo2);
    EXPECT_TRUE((*entries)[4].isEmpty());
    EXPECT_EQ((*entries)[120].frameCount, 64);

    const auto after = FilesBelow(root_);
    for (const char* kept : {"KELDRA/ZQ314/SMP0000L.ZQD", "KELDRA/ZQ314/SMP0001L.ZQD",
                             "KELDRA/ZQ314/SMP0001R.ZQD", "KELDRA/ZQ314/SMP0002R.ZQD"}) {
        EXPECT_EQ(after.at(kept), before.at(kept)) << kept;
    }
    EXPECT_EQ(after.count("KELDRA/ZQ314/SMP0004L.ZQD"), 0u);
    ASSERT_FALSE(repairing.keptInformationFile.empty());
    EXPECT_EQ(fs::path(repairing.keptInformationFile).parent_path(), fs::path(root_ + "/KELDRA"));
    EXPECT_EQ(ReadFileBytes(repairing.keptInformationFile), oldInformation);
}

TEST_F(CardRepairTest, DeclinedOrNeedlessRepairChangesNothing) {
    MakeDamagedCard();
    const auto before = FilesBelow(root_);
    EXPECT_EQ(Repair(false).problem, CardRepairing::Problem::Declined);
    EXPECT_EQ(FilesBelow(root_), before);

    ASSERT_EQ(Repair().problem, CardRepairing::Problem::None);
    const auto repaired = FilesBelow(root_);
    EXPECT_EQ(Repair().problem, CardRepairing::Problem::None);
    EXPECT_FALSE(asked_);
    EXPECT_EQ(FilesBelow(root_), repaired);
}

TEST_F(CardRepairTest, SomethingInTheWayLeavesTheCardAsItWas) {
    entries_[5] = Sample(16, false);
    MakeCard(root_, entries_);
    fs::create_directory(CardLayout::RightFilePath(root_, 5)); // a mono pad's stray right name
    Channel(5, false, 16);
    const auto before = FilesBelow(root_);

    const CardRepairing repairing = Repair();
    EXPECT_EQ(repairing.problem, CardRepairing::Problem::CannotWrite);
    EXPECT_EQ(repairing.obstacle.kind, CardObstacle::Kind::Folder);
    EXPECT_EQ(FilesBelow(root_), before);
}

} // namespace
} // namespace ZQ3
