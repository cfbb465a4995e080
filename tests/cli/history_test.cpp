#include "card/card_layout.h"
#include "tests/cli/run_zq3.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

namespace ZQ3 {
namespace {

using Fixture::RunZq3;

TEST(CliHistory, ListsTheChangesNewestFirstAndUndoesAndRedoesThem) {
    Fixture::TemporaryDirectory directory;
    const std::string card = directory / "card";
    std::vector<SampleEntry> entries(CardLayout::SlotCount);
    entries[3].frameCount = 32;
    entries[3].rangeEnd = 32;
    Fixture::MakeCard(card, entries);
    Fixture::WriteFileBytes(CardLayout::LeftFilePath(card, 3), std::string(32, 'a'));
    const std::vector<std::string> environment{"XDG_DATA_HOME=" + (directory / "data")};
    const auto before = Fixture::FilesBelow(card);

    ASSERT_EQ(RunZq3({"copy", card, "C3", "D7"}, environment).exitCode, 0);
    ASSERT_EQ(RunZq3({"delete", card, "C3", "--yes"}, environment).exitCode, 0);
    const auto after = Fixture::FilesBelow(card);

    const auto history = RunZq3({"history", card}, environment);
    ASSERT_EQ(history.exitCode, 0) << history.err;
    const std::size_t deleted = history.out.find("  Delete C3\n");
    const std::size_t copied = history.out.find("  Copy C3 to D7\n");
    ASSERT_NE(deleted, std::string::npos) << history.out;
    EXPECT_LT(deleted, copied) << history.out;

    const auto undo = RunZq3({"--lang", "ja", "undo", card}, environment);
    ASSERT_EQ(undo.exitCode, 0) << undo.err;
    EXPECT_EQ(undo.out, "取り消しました: C3 をデリート\n");
    ASSERT_EQ(RunZq3({"undo", card}, environment).exitCode, 0);
    EXPECT_TRUE(Fixture::FilesBelow(card) == before);
    EXPECT_EQ(RunZq3({"undo", card}, environment).exitCode, 1);
    EXPECT_NE(RunZq3({"history", card, "--json"}, environment).out.find("\"undone\":true"),
              std::string::npos);

    ASSERT_EQ(RunZq3({"redo", card}, environment).exitCode, 0);
    ASSERT_EQ(RunZq3({"redo", card}, environment).exitCode, 0);
    EXPECT_TRUE(Fixture::FilesBelow(card) == after);
}

} // namespace
} // namespace ZQ3
