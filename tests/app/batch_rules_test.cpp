#include "app/export_batch.h"
#include "app/import_batch.h"
#include "app/message_catalogue.h"
#include "card/card_layout.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wav_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace ZQ3 {
namespace {

TEST(BatchRules, NaturalNameOrder) {
    std::vector<std::string> names{"kick10", "snare", "kick02", "kick2", "kick", "Kick1", "k9x"};
    std::sort(names.begin(), names.end(), NaturalLess);
    // Numbers by value, whatever their length; equal values with fewer zeros first; letters
    // byte by byte.
    EXPECT_EQ(names, (std::vector<std::string>{"Kick1", "k9x", "kick", "kick2", "kick02", "kick10",
                                               "snare"}));
    const std::string huge = "take" + std::string(40, '9');
    EXPECT_TRUE(NaturalLess("take" + std::string(39, '9'), huge));
    EXPECT_FALSE(NaturalLess(huge, huge));
}

TEST(BatchRules, AFolderStandsForItsSoundFilesOnConsecutivePads) {
    Fixture::TemporaryDirectory kit;
    for (const char* name : {"b10.wav", "b9.WAV", "a.aif", "c.aiff", "notes.txt", ".b1.wav"}) {
        Fixture::WriteFileBytes(kit / name, "");
    }
    std::filesystem::create_directory(kit / "d.wav");

    const ImportBatch batch = PlanImportBatch(CardLayout::Slot(7, 11), {kit.path(), kit / "x"});
    ASSERT_TRUE(batch.isValid()) << batch.problemText();
    std::vector<std::string> files;
    std::vector<int> slots;
    for (const ImportItem& item : batch.items) {
        files.push_back(item.path.substr(kit.path().size()));
        slots.push_back(item.slot);
    }
    EXPECT_EQ(files, (std::vector<std::string>{"/a.aif", "/b9.WAV", "/b10.wav", "/c.aiff", "/x"}));
    EXPECT_EQ(slots, (std::vector<int>{123, 124, 125, 126, 127}));

    const ImportBatch past = PlanImportBatch(CardLayout::Slot(7, 12), {kit.path(), kit / "x"});
    EXPECT_EQ(past.problem, ImportBatch::Problem::PastLastPad);
    EXPECT_EQ(past.fileCount, 5);
    EXPECT_EQ(past.padsLeft, 4);
    EXPECT_TRUE(past.items.empty());
}

TEST(BatchRules, NamesOfPadsAndFiles) {
    MessageCatalogue::Instance().fill(LanguageEnglish);
    CModel model;
    model.bank = 1;
    model.cardRoot = "/card";
    model.entries[16].frameCount = 32;
    model.entries[19].frameCount = 32;
    const std::vector<ImportItem> items{{"a", 16}, {"b", 17}, {"c", 18}, {"d", 19}};
    EXPECT_EQ(OccupiedSlots(model, items), (std::vector<int>{16, 19}));
    EXPECT_EQ(ReplaceQuestion({16, 19}), "D0, D3 already hold samples. Replace them?");
    EXPECT_EQ(ReplaceQuestion({127}), "J15 already holds a sample. Replace it?");

    EXPECT_EQ(SlotsToExport(model, {PadSelection::Kind::Bank, 1, 0}), (std::vector<int>{16, 19}));
    EXPECT_EQ(SlotsToExport(model, {PadSelection::Kind::Bank, 2, 0}), std::vector<int>{});
    EXPECT_EQ(SlotsToExport(model, {PadSelection::Kind::Pad, 0, 7}), std::vector<int>{7});
    EXPECT_EQ(ExportFileName(21, CardLayout::FileFormatWave), "D05.wav");
    EXPECT_EQ(ExportFileName(127, CardLayout::FileFormatAiff), "J15.aiff");
}

TEST(BatchRules, OnlyFilesThatConvertingMakesFitNeedConverting) {
    MessageCatalogue::Instance().fill(LanguageEnglish);
    Fixture::TemporaryDirectory folder;
    const auto tone = [](std::uint32_t frame, int) {
        return static_cast<std::int32_t>((frame % 64) * 1000);
    };
    // The card takes 16-bit 44.1 kHz as it is; the converter makes 24-bit 48 kHz and 8-bit
    // files fit. A file too short to play, an empty one and a missing one stay refused whatever
    // is done to them.
    Fixture::WriteTestWav(folder / "fits.wav", 2, 4410);
    Fixture::WriteWav(folder / "wide.wav", 48000, 1, 24, 4800, tone);
    Fixture::WriteWav(folder / "coarse.wav", 44100, 1, 8, 4410, tone);
    Fixture::WriteWav(folder / "short.wav", 48000, 1, 24, 480, tone);
    Fixture::WriteFileBytes(folder / "empty.wav", "");
    std::vector<ImportItem> items;
    for (const char* name :
         {"fits.wav", "wide.wav", "short.wav", "coarse.wav", "empty.wav", "missing.wav"}) {
        items.push_back({folder / name, 0});
    }
    EXPECT_EQ(FilesNeedingConversion(items),
              (std::vector<std::string>{folder / "wide.wav", folder / "coarse.wav"}));
    EXPECT_EQ(ConversionQuestion({folder / "wide.wav", folder / "coarse.wav"}),
              "wide.wav, coarse.wav are not in the card's format (16-bit 44.1 kHz). Convert them?");
    EXPECT_EQ(ConversionQuestion({folder / "wide.wav"}),
              "wide.wav is not in the card's format (16-bit 44.1 kHz). Convert it?");
}

} // namespace
} // namespace ZQ3
