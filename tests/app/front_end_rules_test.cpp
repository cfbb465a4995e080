// The rules both front ends read from the core: which commands are on, and how sizes and times
// read.

#include "app/command_availability.h"
#include "app/quantity_text.h"
#include "tests/support/card_command_fixture.h"

#include <gtest/gtest.h>

namespace ZQ3 {
namespace {

TEST(CommandAvailability, FollowsTheCardAndTheSelectedPadWithAReasonWhenOff) {
    MessageCatalogue::Instance().fill(LanguageEnglish);
    CModel model;
    CommandAvailability commands = AvailableCommands(model);
    EXPECT_FALSE(commands.chooseBank);
    EXPECT_FALSE(commands.importFile);
    EXPECT_EQ(commands.importFile.reason, "No card is loaded.");

    model.cardRoot = "/card";
    model.bank = 1;
    model.entries[CardLayout::Slot(1, 5)].frameCount = 4000;
    commands = AvailableCommands(model);
    EXPECT_TRUE(commands.chooseBank);
    EXPECT_FALSE(commands.importFile);
    EXPECT_EQ(commands.exportPad.reason, "No pad is selected.");

    model.selectedPad = 4;
    commands = AvailableCommands(model);
    EXPECT_TRUE(commands.importFile);
    EXPECT_TRUE(commands.importFile.reason.empty());
    for (const CommandState* off : {&commands.exportPad, &commands.deletePad, &commands.playPad}) {
        EXPECT_FALSE(*off);
        EXPECT_EQ(off->reason, "D4 holds no sample.");
    }

    model.selectedPad = 5;
    commands = AvailableCommands(model);
    EXPECT_TRUE(commands.exportPad && commands.deletePad && commands.playPad);

    MessageCatalogue::Instance().setLanguage(LanguageJapanese);
    model.selectedPad = 4;
    EXPECT_EQ(AvailableCommands(model).deletePad.reason, "D4 にはサンプルがありません。");
    MessageCatalogue::Instance().setLanguage(LanguageEnglish);
}

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
