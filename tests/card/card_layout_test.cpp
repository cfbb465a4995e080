#include "card/card_layout.h"

#include <gtest/gtest.h>

namespace ZQ3 {
namespace {

using namespace CardLayout;

TEST(CardPaths, SlotFilesUseFourUpperCaseHexDigits) {
    EXPECT_EQ(Slot(2, 5), 37);
    EXPECT_EQ(LeftFilePath("/media/card", Slot(2, 5)), "/media/card/KELDRA/ZQ314/SMP0025L.ZQD");
    EXPECT_EQ(RightFilePath("/media/card", Slot(2, 5)), "/media/card/KELDRA/ZQ314/SMP0025R.ZQD");
    EXPECT_EQ(LeftFilePath("/c", Slot(7, 15)), "/c/KELDRA/ZQ314/SMP007FL.ZQD");
    EXPECT_EQ(RightFilePath("/c", 0), "/c/KELDRA/ZQ314/SMP0000R.ZQD");
    EXPECT_EQ(SlotBase(10), "/KELDRA/ZQ314/SMP000A");
}

TEST(CardPaths, InformationFileAndCardCopies) {
    EXPECT_EQ(InformationFilePath("/run/media/u/ZQCARD"),
              "/run/media/u/ZQCARD/KELDRA/ZQ314/WVCINFO0.ZQD");
    EXPECT_EQ(CardCopyPath("/c", "/tmp/x/___ZQ3_TEMPORARY_SAMPLE_FILE___0"),
              "/c/KELDRA/ZQ314/___ZQ3_TEMPORARY_SAMPLE_FILE___0");
    EXPECT_EQ(CardCopyPath("/c", "name.ext"), "/c/KELDRA/ZQ314/name.ext");
}

TEST(CardPaths, BankLetters) {
    EXPECT_EQ(BankLetter(0), 'C');
    EXPECT_EQ(BankLetter(7), 'J');
    EXPECT_EQ(PadName(0), "C0");
    EXPECT_EQ(PadName(0x15), "D5");
    EXPECT_EQ(PadName(127), "J15");
}

TEST(SizeRules, CardBytesCountStartedBlocksPerChannel) {
    EXPECT_EQ(CardBytesNeeded(3087, 1), 3088u);
    EXPECT_EQ(CardBytesNeeded(3088, 2), 6176u);
    EXPECT_EQ(CardBytesNeeded(16, 1), 16u);
    EXPECT_EQ(CardBytesNeeded(17, 1), 32u);
    EXPECT_EQ(CardBytesNeeded(0, 2), 0u);
    EXPECT_EQ(CardBytesNeeded(-5, 1), 0u);
    // Frame counts beyond 32 bits must not wrap.
    EXPECT_EQ(CardBytesNeeded(std::int64_t{1} << 40, 2), (std::uint64_t{1} << 40) * 2);
}

TEST(SizeRules, DiskBytesOfAnExport) {
    SampleEntry entry;
    entry.frameCount = 1000;
    entry.stereo = true;
    entry.lofi = 1;
    EXPECT_EQ(DiskBytesNeeded(entry, FileFormatAiff), 8054u);
    EXPECT_EQ(DiskBytesNeeded(entry, FileFormatWave), 8046u);
    EXPECT_EQ(DiskBytesNeeded(entry, 0), 8000u);
    // Only the value 1 marks lo-fi.
    entry.lofi = 2;
    entry.stereo = false;
    EXPECT_EQ(DiskBytesNeeded(entry, FileFormatWave), 2046u);
    entry.frameCount = 0;
    EXPECT_EQ(DiskBytesNeeded(entry, FileFormatWave), 0u);
    // A frame count read from the card is unsigned even where the entry holds it signed.
    entry.frameCount = static_cast<std::int32_t>(0xF0000000u);
    EXPECT_EQ(DiskBytesNeeded(entry, 0), std::uint64_t{0xF0000000u} * 2);
}

} // namespace
} // namespace ZQ3
