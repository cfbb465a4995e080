#include "card/card_check.h"
#include "card/card_layout.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ZQ3 {
namespace {

using Kind = CardFinding::Kind;
namespace fs = std::filesystem;
using namespace Fixture;

SampleEntry Sample(std::int32_t frames, bool stereo, int lofi = 0) {
    SampleEntry entry;
    entry.frameCount = frames;
    entry.rangeEnd = frames;
    entry.stereo = stereo;
    entry.lofi = lofi;
    return entry;
}

class CardCheckTest : public ::testing::Test {
protected:
    void SetUp() override { entries_.assign(CardLayout::SlotCount, SampleEntry{}); }

    void Place(int slot, const SampleEntry& entry, std::size_t leftBytes, std::size_t rightBytes) {
        entries_[static_cast<std::size_t>(slot)] = entry;
        if (leftBytes > 0) {
            WriteFileBytes(CardLayout::LeftFilePath(root_, slot), std::string(leftBytes, 'x'));
        }
        if (rightBytes > 0) {
            WriteFileBytes(CardLayout::RightFilePath(root_, slot), std::string(rightBytes, 'x'));
        }
    }
    void MakeIt() { MakeCard(root_, entries_); }

    std::vector<std::pair<Kind, int>> Found() const {
        std::vector<std::pair<Kind, int>> found;
        for (const CardFinding& finding : CheckCard(root_).findings) {
            found.emplace_back(finding.kind, finding.slot);
        }
        return found;
    }

    TemporaryDirectory directory_;
    std::string root_ = directory_.path();
    std::vector<SampleEntry> entries_;
};

TEST_F(CardCheckTest, ConsistentCardIsClean) {
    MakeIt();
    Place(0, Sample(17, false), 32, 0);    // one full frame and one padded one
    Place(5, Sample(16, true), 16, 16);    // stereo
    Place(9, Sample(40, false, 1), 40, 0); // lo-fi: 80 samples in 8-byte frames of 16
    MakeCard(root_, entries_);
    EXPECT_TRUE(CheckCard(root_).IsClean());
}

TEST_F(CardCheckTest, FindsEachInconsistencyOfChannelFiles) {
    MakeIt();
    Place(0, Sample(17, false), 16, 0);  // short
    Place(1, Sample(16, false), 48, 0);  // long
    Place(2, Sample(16, true), 16, 0);   // stereo without its right file
    Place(3, Sample(16, false), 16, 16); // mono with a right file
    Place(4, Sample(16, false), 0, 0);   // missing
    Place(6, SampleEntry{}, 16, 0);      // a file no record uses
    fs::create_directory(CardLayout::LeftFilePath(root_, 7));
    entries_[7] = Sample(16, false);
    WriteFileBytes(CardLayout::CardDirectory(root_) + "___ZQ3_TEMPORARY_SAMPLE_FILE___", "x");
    MakeCard(root_, entries_);

    const std::vector<std::pair<Kind, int>> expected = {
        {Kind::ShortChannelFile, 0},      {Kind::LongChannelFile, 1},
        {Kind::StereoFlagDisagrees, 2},   {Kind::StereoFlagDisagrees, 3},
        {Kind::MissingChannelFile, 4},    {Kind::OrphanChannelFile, 6},
        {Kind::ChannelFileNotRegular, 7}, {Kind::Leftover, -1},
    };
    EXPECT_EQ(Found(), expected);
    const CardFinding shortFile = CheckCard(root_).findings.front();
    EXPECT_EQ(shortFile.fileName, "SMP0000L.ZQD");
    EXPECT_EQ(shortFile.bytes, 16u);
    EXPECT_EQ(shortFile.expectedBytes, 32u);
}

TEST_F(CardCheckTest, DamagedRecordsAreNamedAndTheOthersStillChecked) {
    MakeIt();
    Place(1, Sample(16, false), 0, 0);
    MakeCard(root_, entries_);
    std::string bytes = ReadFileBytes(CardLayout::InformationFilePath(root_));
    bytes[2 * 23 + 17] = '\xFF'; // slot 2's option17
    bytes.resize(100 * 23 + 5);  // slots 100 and on are cut off
    fs::remove(CardLayout::InformationFilePath(root_));
    WriteFileBytes(CardLayout::InformationFilePath(root_), bytes);

    const CardCheck check = CheckCard(root_);
    ASSERT_GE(check.findings.size(), 3u);
    EXPECT_EQ(check.findings[0].kind, Kind::MissingChannelFile);
    EXPECT_EQ(check.findings[1].kind, Kind::InvalidRecord);
    EXPECT_EQ(check.findings[1].slot, 2);
    EXPECT_EQ(check.findings[1].field, SampleInformationField::Option17);
    EXPECT_EQ(check.findings[2].kind, Kind::InvalidRecord); // the record the file ends inside
    EXPECT_EQ(check.findings[2].slot, 100);
    EXPECT_EQ(check.findings[3].kind, Kind::NoRecord);
    EXPECT_EQ(check.findings[3].slot, 101);
    EXPECT_EQ(check.findings.size(), 4u + 26u);
}

TEST_F(CardCheckTest, ACardFolderReachedThroughALinkIsNotChecked) {
    const TemporaryDirectory elsewhere;
    MakeEmptyCard(elsewhere.path());
    fs::create_directory(root_ + "/KELDRA");
    fs::create_directory_symlink(elsewhere.path() + "/KELDRA/ZQ314", root_ + "/KELDRA/ZQ314");
    const CardCheck check = CheckCard(root_);
    ASSERT_EQ(check.findings.size(), 1u);
    EXPECT_EQ(check.findings[0].kind, Kind::NoCardFolder);
}

} // namespace
} // namespace ZQ3
