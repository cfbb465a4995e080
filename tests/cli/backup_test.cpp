#include "card/card_layout.h"
#include "tests/cli/run_zq3.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

namespace ZQ3 {
namespace {

using Fixture::FilesBelow;
using Fixture::RunZq3;

// A card with a mono sample on C3.
void MakeCardWithC3(const std::string& root) {
    std::vector<SampleEntry> entries(CardLayout::SlotCount);
    entries[3].frameCount = 32;
    entries[3].rangeEnd = 32;
    Fixture::MakeCard(root, entries);
    Fixture::WriteFileBytes(CardLayout::LeftFilePath(root, 3), std::string(32, 'a'));
}

// What each exit status of backup and restore means: done, refused (an existing file, a damaged
// backup), usage, and a question that cannot be asked without a terminal.
TEST(CliBackup, BackupAndRestoreGiveTheCardBackAndSayWhatStoppedThem) {
    Fixture::TemporaryDirectory directory;
    const std::string card = directory / "card";
    const std::string archive = directory / "card.tar";
    MakeCardWithC3(card);
    const auto before = FilesBelow(card);

    const auto backup = RunZq3({"backup", card, archive});
    ASSERT_EQ(backup.exitCode, 0) << backup.err;
    EXPECT_NE(backup.out.find("backed up into"), std::string::npos) << backup.out;
    const auto again = RunZq3({"backup", card, archive});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.err.find("already exists"), std::string::npos) << again.err;
    EXPECT_EQ(RunZq3({"backup", card, archive, "--force"}).exitCode, 0);

    ASSERT_EQ(RunZq3({"delete", card, "C3", "--yes"}).exitCode, 0);
    Fixture::WriteFileBytes(CardLayout::LeftFilePath(card, 9), "an orphan");
    const auto unasked = RunZq3({"restore", card, archive});
    EXPECT_EQ(unasked.exitCode, 3);
    EXPECT_NE(unasked.err.find("--yes"), std::string::npos) << unasked.err;
    const auto restore = RunZq3({"restore", card, archive, "--yes"});
    ASSERT_EQ(restore.exitCode, 0) << restore.err;
    EXPECT_TRUE(FilesBelow(card) == before);

    std::string bytes = Fixture::ReadFileBytes(archive);
    bytes[512 + 7] = static_cast<char>(bytes[512 + 7] ^ 0x20);
    Fixture::WriteFileBytes(archive, bytes);
    const auto damaged = RunZq3({"--lang", "ja", "restore", card, archive, "--yes"});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_NE(damaged.err.find("SMP0003L.ZQD"), std::string::npos) << damaged.err;
    EXPECT_NE(damaged.err.find("壊れています"), std::string::npos) << damaged.err;
    EXPECT_EQ(RunZq3({"restore", card}).exitCode, 2);
}

} // namespace
} // namespace ZQ3
