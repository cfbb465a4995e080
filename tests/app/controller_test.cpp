#include "app/controller.h"
#include "app/domain.h"
#include "app/message_catalogue.h"
#include "card/sample_information_dto.h"
#include "tests/support/recording_view.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <optional>

namespace ZQ3 {
namespace {

class CountingStopper : public IPlaybackStopper {
public:
    explicit CountingStopper(bool succeeds) : succeeds_(succeeds) {}
    bool stopPlayback() override {
        ++calls;
        return succeeds_;
    }
    int calls = 0;

private:
    bool succeeds_;
};

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageCatalogue::Instance().fill(LanguageEnglish);
        domain.controller->setView(&view);
    }

    // A card whose bank D (1) pad 3 holds a stereo sample and bank E (2) pad 3 is empty.
    std::string MakeCard() {
        const std::string root = directory / "card";
        std::vector<SampleEntry> entries(128);
        entries[CardLayout::Slot(1, 3)].frameCount = 4000;
        entries[CardLayout::Slot(1, 3)].stereo = true;
        Fixture::MakeCard(root, entries);
        return root;
    }

    Fixture::TemporaryDirectory directory;
    CDomain domain;
    Fixture::CRecordingView view{domain};
    Fixture::CInstalledPrinter printer;
};

TEST_F(ControllerTest, SelectingACardInstallsItsModelAndRefreshesTheView) {
    const std::string root = MakeCard();
    const auto before = domain.model;
    EXPECT_TRUE(domain.controller->selectDrive(root, 1));
    EXPECT_NE(domain.model, before);
    EXPECT_EQ(domain.model->cardRoot, root);
    EXPECT_EQ(domain.model->bank, 1);
    EXPECT_EQ(domain.model->selectedPad, -1);
    EXPECT_TRUE(domain.model->hasSample(3));
    EXPECT_FALSE(domain.model->hasSample(4));
    EXPECT_EQ(view.calls, (std::vector<std::string>{"bank", "pads", "import", "export", "delete"}));
    EXPECT_TRUE(view.bankListEnabled);
    EXPECT_TRUE(printer.texts().empty());
}

TEST_F(ControllerTest, AFolderThatIsNotACardDropsThePreviousCard) {
    ASSERT_TRUE(domain.controller->selectDrive(MakeCard(), 0));
    ASSERT_TRUE(domain.controller->selectPad(3));
    view.calls.clear();
    EXPECT_FALSE(domain.controller->selectDrive(directory.path(), 0));
    EXPECT_EQ(
        printer.texts(),
        (std::vector<std::string>{"The selected drive is not for the ZQ-314.\n" + directory.path() +
                                  ": there is no KELDRA/ZQ314/ folder in it.\n"}));
    EXPECT_FALSE(domain.model->hasCard());
    EXPECT_TRUE(domain.model->cardRoot.empty());
    EXPECT_FALSE(view.bankListEnabled);
    EXPECT_FALSE(view.importEnabled);
    EXPECT_FALSE(view.exportEnabled);
    EXPECT_FALSE(view.deleteEnabled);
    EXPECT_EQ(view.calls.size(), 5u);
}

TEST_F(ControllerTest, WhatIsNoCardIsRefusedWithTheReason) {
    const std::string root = MakeCard();
    const std::string information = CardLayout::InformationFilePath(root);
    Fixture::WriteFileBytes(directory / "file", "x");
    const struct {
        std::string root;
        std::optional<std::string> informationBytes;
        std::string detail;
    } cases[] = {
        {"", std::nullopt, ""},
        {directory / "nowhere", std::nullopt,
         (directory / "nowhere") + ": there is no such folder."},
        {directory / "file", std::nullopt, (directory / "file") + ": this is not a folder."},
        {directory.path(), std::nullopt,
         directory.path() + ": there is no KELDRA/ZQ314/ folder in it."},
        {root, std::string(2943, '\0'),
         information + ": the information file is 2943 bytes long; a card's is 2944 bytes."},
        {root, std::string(2944, '\xFF'),
         information + ": the record of pad C0 is invalid: its range start (offset 0 in the "
                       "record) has every bit set."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.root);
        if (c.informationBytes) {
            Fixture::WriteFileBytes(information, *c.informationBytes);
        }
        printer.printer->reports.clear();
        EXPECT_FALSE(domain.controller->selectDrive(c.root, 0));
        EXPECT_EQ(printer.printer->reports,
                  (std::vector<std::pair<std::string, std::string>>{
                      {"The selected drive is not for the ZQ-314.", c.detail}}));
    }
}

TEST_F(ControllerTest, ACardThatWentAwayIsLetGoOfAtTheNextCommandWithOneReport) {
    const std::string root = MakeCard();
    ASSERT_TRUE(domain.controller->selectDrive(root, 1));
    ASSERT_TRUE(domain.controller->selectPad(3));
    std::filesystem::remove_all(root);
    printer.printer->reports.clear();
    EXPECT_EQ(domain.controller->deletePad(3), CommandOutcome::Failed);
    EXPECT_EQ(printer.printer->reports, (std::vector<std::pair<std::string, std::string>>{
                                            {"The selected drive is not for the ZQ-314.",
                                             root + ": there is no such folder."}}));
    EXPECT_FALSE(domain.model->hasCard());
    EXPECT_FALSE(view.bankListEnabled);
    EXPECT_FALSE(view.deleteEnabled);
}

TEST_F(ControllerTest, JapaneseReportsWhenTheCatalogueIsJapanese) {
    MessageCatalogue::Instance().setLanguage(LanguageJapanese);
    EXPECT_FALSE(domain.controller->selectDrive(directory.path(), 0));
    EXPECT_EQ(printer.texts(),
              (std::vector<std::string>{"ZQ-314 メモリー・カード以外のドライブを選択しました。\n" +
                                        directory.path() +
                                        ": KELDRA/ZQ314/ フォルダーがありません。\n"}));
}

TEST_F(ControllerTest, ABankOutsideTheCardIsReplacedByTheFirst) {
    const std::string root = MakeCard();
    EXPECT_TRUE(domain.controller->selectDrive(root, 8));
    EXPECT_EQ(domain.model->bank, 0);
    EXPECT_TRUE(domain.controller->selectDrive(root, -3));
    EXPECT_EQ(domain.model->bank, 0);
    EXPECT_TRUE(domain.controller->selectDrive(root, 7));
    EXPECT_EQ(domain.model->bank, 7);
}

TEST_F(ControllerTest, ChangingBankKeepsThePadSelection) {
    ASSERT_TRUE(domain.controller->selectDrive(MakeCard(), 1));
    ASSERT_TRUE(domain.controller->selectPad(3));
    EXPECT_TRUE(view.importEnabled);
    EXPECT_TRUE(view.exportEnabled);
    EXPECT_TRUE(view.deleteEnabled);
    const auto installed = domain.model;
    EXPECT_TRUE(domain.controller->selectBank(2));
    // The installed model changes in place.
    EXPECT_EQ(domain.model, installed);
    EXPECT_EQ(domain.model->selectedPad, 3);
    EXPECT_TRUE(view.importEnabled);
    EXPECT_FALSE(view.exportEnabled);
    EXPECT_FALSE(view.deleteEnabled);
    EXPECT_FALSE(domain.controller->selectBank(9));
    EXPECT_EQ(domain.model->bank, 2);
}

TEST_F(ControllerTest, WithoutACardBankAndPadStayUnset) {
    EXPECT_FALSE(domain.controller->selectBank(2));
    EXPECT_EQ(domain.model->bank, -1);
    EXPECT_FALSE(domain.controller->selectPad(1));
    EXPECT_EQ(domain.model->selectedPad, -1);
}

TEST_F(ControllerTest, EveryCommandStopsPlaybackFirstAndReportsAFailure) {
    auto stopper = std::make_shared<CountingStopper>(false);
    domain.player = stopper;
    const std::string root = MakeCard();
    EXPECT_TRUE(domain.controller->selectDrive(root, 0));
    EXPECT_TRUE(domain.controller->selectBank(1));
    EXPECT_EQ(stopper->calls, 2);
    EXPECT_EQ(printer.texts(),
              (std::vector<std::string>{"Playback failed.\n", "Playback failed.\n"}));
}

} // namespace
} // namespace ZQ3
