#include "card/card_layout.h"
#include "tests/cli/run_zq3.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ZQ3 {
namespace {

using Fixture::RunZq3;

// A card whose pad C3 has a damaged record although its channel file is whole, and whose empty
// pad C4 still has a channel file.
void MakeDamagedCard(const std::string& root) {
    std::vector<SampleEntry> entries(CardLayout::SlotCount);
    entries[3].frameCount = 32;
    entries[3].rangeEnd = 32;
    Fixture::MakeCard(root, entries);
    Fixture::WriteFileBytes(CardLayout::LeftFilePath(root, 3), std::string(32, 'a'));
    Fixture::WriteFileBytes(CardLayout::LeftFilePath(root, 4), std::string(16, 'b'));
    const std::string path = CardLayout::InformationFilePath(root);
    std::string bytes = Fixture::ReadFileBytes(path);
    bytes[3 * 23 + 17] = '\xFF';
    std::filesystem::remove(path);
    Fixture::WriteFileBytes(path, bytes);
}

TEST(CliCheckRepair, CheckNamesTheDamageRepairMendsItAndKeepsTheOldFile) {
    Fixture::TemporaryDirectory card;
    MakeDamagedCard(card.path());

    const auto check = RunZq3({"check", card.path()});
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_NE(check.out.find("C3: its record is damaged (the field option 17"), std::string::npos)
        << check.out;
    EXPECT_NE(check.out.find("C4: SMP0004L.ZQD is on the card, but the pad holds no sample."),
              std::string::npos)
        << check.out;
    // A card that does not load is still no reason to refuse a look at it in Japanese.
    const auto japanese = RunZq3({"--lang", "ja", "check", card.path()});
    EXPECT_NE(japanese.out.find("C3: レコードが壊れています"), std::string::npos) << japanese.out;

    // Without a terminal and without --yes nothing changes.
    EXPECT_EQ(RunZq3({"repair", card.path()}).exitCode, 3);
    EXPECT_EQ(RunZq3({"check", card.path()}).exitCode, 1);

    const auto repair = RunZq3({"repair", card.path(), "--yes"});
    ASSERT_EQ(repair.exitCode, 0) << repair.err;
    EXPECT_NE(repair.out.find("C3: a new record from its channel files."), std::string::npos);
    EXPECT_NE(repair.out.find("SMP0004L.ZQD: removed"), std::string::npos);
    EXPECT_EQ(RunZq3({"check", card.path()}).exitCode, 0);
    const auto info = RunZq3({"info", card.path(), "C"});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    bool kept = false;
    for (const auto& item : std::filesystem::directory_iterator(card.path() + "/KELDRA")) {
        kept |= item.path().filename().string().rfind("WVCINFO0.ZQD.bad-", 0) == 0;
    }
    EXPECT_TRUE(kept);
}

} // namespace
} // namespace ZQ3
