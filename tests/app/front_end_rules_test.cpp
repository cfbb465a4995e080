// The rules both front ends read from the core: how sizes and times read.

#include "app/quantity_text.h"
#include "tests/support/card_command_fixture.h"

#include <gtest/gtest.h>

namespace ZQ3 {
namespace {

TEST(QuantityText, BinaryUnitsThatNeverRoundUpTo1024) {
    EXPECT_EQ(SizeText(0), "0 B");
    EXPECT_EQ(SizeText(1023), "1023 B");
    EXPECT_EQ(SizeText(1024), "1.0 KiB");
    EXPECT_EQ(SizeText(1024 * 1024 - 1), "1.0 MiB");
    EXPECT_EQ(SizeText(512ull << 20), "512.0 MiB");
    EXPECT_EQ(SizeText(82'350'000'000ull), "76.7 GiB");
}

TEST(QuantityText, MinutesAndSecondsBelowAnHourHoursAndMinutesFromOneOn) {
    MessageCatalogue::Instance().fill(LanguageEnglish);
    EXPECT_EQ(DurationText(-1.0), "0 min 0 s");
    EXPECT_EQ(DurationText(59.99), "0 min 59 s");
    EXPECT_EQ(DurationText(3599.99), "59 min 59 s");
    EXPECT_EQ(DurationText(3600.0), "1 h 0 min");
    EXPECT_EQ(DurationText(31142 * 60 + 28), "519 h 2 min");
    MessageCatalogue::Instance().setLanguage(LanguageJapanese);
    EXPECT_EQ(DurationText(754.5), "12 分 34 秒");
    EXPECT_EQ(DurationText(7260.0), "2 時間 1 分");
    MessageCatalogue::Instance().setLanguage(LanguageEnglish);
}

} // namespace
} // namespace ZQ3
