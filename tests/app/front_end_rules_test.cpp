// The rules both front ends read from the core: which commands are on, how sizes and times
// read, and what an import of several files asks before it runs.

#include "app/command_availability.h"
#include "app/import_plan.h"
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

class ImportPlanTest : public Fixture::CardCommandTest {
protected:
    std::string FittingFile(const std::string& name, int channels = 1) {
        const std::string path = directory / name;
        Fixture::WriteTestWav(path, channels, 4410);
        return path;
    }
    // 24-bit 48 kHz: the card takes it only converted.
    std::string WideFile() {
        const std::string path = directory / "wide.wav";
        Fixture::WriteWav(path, 48000, 1, 24, 4800, [](std::uint32_t frame, int) {
            return static_cast<std::int32_t>((frame % 64) * 100000);
        });
        return path;
    }
};

TEST_F(ImportPlanTest, AsksToConvertFirstAndToReplaceOnlyWhenTheImportCanRun) {
    LoadEmptyCard(1, 0);
    PutSample(1, 1, 4000);
    const SampleEntry kept = domain.model->entryOf(1);

    const CImportPlan fitting(*domain.model, CardLayout::Slot(1, 0),
                              {FittingFile("a.wav"), FittingFile("b.wav", 2)});
    ASSERT_TRUE(fitting.isValid());
    EXPECT_FALSE(fitting.asksToConvert());
    EXPECT_TRUE(fitting.asksToReplace(false));
    EXPECT_EQ(fitting.replaceQuestion(), "D1 already holds a sample. Replace it?");
    // Declined: nothing is written.
    EXPECT_EQ(controller().importPlanned(fitting, ImportAnswers{}), CommandOutcome::Cancelled);
    EXPECT_FALSE(domain.model->hasSample(0));
    EXPECT_EQ(domain.model->entryOf(1), kept);

    const CImportPlan mixed(*domain.model, CardLayout::Slot(1, 0),
                            {FittingFile("a.wav"), WideFile()});
    ASSERT_TRUE(mixed.asksToConvert());
    EXPECT_EQ(mixed.conversionQuestion(),
              "wide.wav is not in the card's format (16-bit 44.1 kHz). Convert it?");
    // Left unconverted, the wide file is refused whatever the answer, so nobody is asked.
    EXPECT_FALSE(mixed.asksToReplace(false));
    EXPECT_EQ(controller().importPlanned(mixed, ImportAnswers{}), CommandOutcome::Failed);
    EXPECT_EQ(domain.model->entryOf(1), kept);

    ImportAnswers converting;
    converting.conversion.convert = true;
    EXPECT_TRUE(mixed.asksToReplace(true));
    converting.replace = true;
    NextProgress();
    ASSERT_EQ(controller().importPlanned(mixed, converting), CommandOutcome::Succeeded);
    EXPECT_TRUE(domain.model->hasSample(0));
    // 0.1 s at 48 kHz is 4410 frames at the card's rate, in whole blocks of 16.
    EXPECT_EQ(domain.model->entryOf(1).frameCount, 4416);
}

TEST_F(ImportPlanTest, AnInvalidPlanAsksNothingAndWritesNothing) {
    LoadEmptyCard(7, 15);
    const CImportPlan plan(*domain.model, CardLayout::Slot(7, 15),
                           {FittingFile("a.wav"), FittingFile("b.wav")});
    EXPECT_FALSE(plan.isValid());
    EXPECT_FALSE(plan.asksToConvert());
    EXPECT_FALSE(plan.asksToReplace(true));
    EXPECT_EQ(plan.problemText(),
              "2 files do not fit: from the first pad given to J15 there is 1 pad.");
    ImportAnswers yes;
    yes.replace = true;
    EXPECT_EQ(controller().importPlanned(plan, yes), CommandOutcome::Failed);
    EXPECT_FALSE(domain.model->hasSample(15));
}

} // namespace
} // namespace ZQ3
