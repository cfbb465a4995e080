#include "card/card_layout.h"
#include "tests/cli/run_zq3.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

namespace ZQ3 {
namespace {

using Fixture::ReadFileBytes;
using Fixture::RunZq3;

// A card with a mono sample on C3.
void MakeCardWithC3(const std::string& root, char fill) {
    std::vector<SampleEntry> entries(CardLayout::SlotCount);
    entries[3].frameCount = 32;
    entries[3].rangeEnd = 32;
    entries[3].tempo = 1234;
    Fixture::MakeCard(root, entries);
    Fixture::WriteFileBytes(CardLayout::LeftFilePath(root, 3), std::string(32, fill));
}

TEST(CliTransfer, PadsAndBanksMoveCopyAndSwapOnOneCardAndBetweenTwo) {
    Fixture::TemporaryDirectory a;
    Fixture::TemporaryDirectory b;
    MakeCardWithC3(a.path(), 'a');
    MakeCardWithC3(b.path(), 'b');

    const auto copy = RunZq3({"copy", a.path(), "c3", "D7"});
    ASSERT_EQ(copy.exitCode, 0) << copy.err;
    EXPECT_EQ(copy.out, "c3 copied to D7.\n");
    EXPECT_EQ(ReadFileBytes(CardLayout::LeftFilePath(a.path(), 23)), std::string(32, 'a'));

    // B's C3 holds a sample: without a terminal and --yes nothing changes, with --yes the
    // whole bank C replaces B's bank C.
    const auto asked = RunZq3({"move", a.path(), "C", b.path(), "C"});
    EXPECT_EQ(asked.exitCode, 3);
    EXPECT_NE(asked.err.find("C3 already holds a sample. Replace it?"), std::string::npos);
    ASSERT_EQ(RunZq3({"move", a.path(), "C", b.path(), "C", "--yes"}).exitCode, 0);
    EXPECT_EQ(ReadFileBytes(CardLayout::LeftFilePath(b.path(), 3)), std::string(32, 'a'));
    EXPECT_FALSE(std::filesystem::exists(CardLayout::LeftFilePath(a.path(), 3)));

    ASSERT_EQ(RunZq3({"swap", a.path(), "D", "C"}).exitCode, 0);
    EXPECT_EQ(ReadFileBytes(CardLayout::LeftFilePath(a.path(), 7)), std::string(32, 'a'));

    const auto japanese = RunZq3({"--lang", "ja", "swap", a.path(), "C7", b.path(), "C0"});
    EXPECT_EQ(japanese.exitCode, 1);
    EXPECT_NE(japanese.err.find("入れ替え"), std::string::npos) << japanese.err;
    EXPECT_EQ(RunZq3({"copy", a.path(), "C7"}).exitCode, 2);
}

} // namespace
} // namespace ZQ3
