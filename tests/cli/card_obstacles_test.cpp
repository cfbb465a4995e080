// Things in the way on a card, links that lead off it, and a change that cannot be finished at
// once, met by the real executable: every command refuses what it must not touch and says what
// is where, nothing outside the card is read or changed, no card stays stuck, and a committed
// change is never reported as failed.

#include "card/card_journal.h"
#include "card/card_layout.h"
#include "card/sample_information_dto.h"
#include "card/temporary_names.h"
#include "tests/cli/run_zq3.h"
#include "tests/support/fifo.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wav_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

namespace ZQ3 {
namespace {

using Fixture::RunZq3;
namespace fs = std::filesystem;

enum class Kind { Folder, Link, Fifo };

class CardObstacleTest : public ::testing::Test {
protected:
    void SetUp() override {
        Fixture::MakeEmptyCard(card());
        Fixture::WriteTestWav(source(), 1, 5000);
        Fixture::WriteFileBytes(outside(), precious);
    }

    std::string card() const { return directory / "card"; }
    std::string cardFile(const std::string& name) const {
        return CardLayout::CardDirectory(card()) + name;
    }
    std::string source() const { return directory / "mono.wav"; }
    // A file of the user's, off the card.
    std::string outside() const { return directory / "precious"; }

    void Place(Kind kind, const std::string& path) const {
        switch (kind) {
        case Kind::Folder:
            fs::create_directory(path);
            break;
        case Kind::Link:
            fs::create_symlink(outside(), path);
            break;
        case Kind::Fifo:
            ASSERT_TRUE(Fixture::MakeFifo(path));
            break;
        }
    }

    std::vector<SampleEntry> entries() const {
        return ReadSampleInformationFile(CardLayout::InformationFilePath(card())).value();
    }

    Fixture::TemporaryDirectory directory;
    const std::string precious = "the user's own file";
};

std::string KindText(Kind kind) {
    switch (kind) {
    case Kind::Folder:
        return "folder";
    case Kind::Link:
        return "symbolic link";
    case Kind::Fifo:
        break;
    }
    return "FIFO (named pipe)";
}

class ThingInTheWayTest : public CardObstacleTest,
                          public ::testing::WithParamInterface<std::tuple<std::string, Kind>> {};

// A name the card's records use, or one of the converter's own work names, holding something
// other than a regular file when an import onto D5 begins.
TEST_P(ThingInTheWayTest, IsRefusedByNameOrClearedAndTouchesNothingOffTheCard) {
    const auto& [name, kind] = GetParam();
    const std::string path = cardFile(name);
    if (name == CardLayout::InformationFileName) {
        // A link then leads to a whole information file, which must not be read all the same.
        fs::rename(path, outside());
    }
    const std::string outsideBefore = Fixture::ReadFileBytes(outside());
    Place(kind, path);
    const bool workName = name.starts_with(TemporaryNames::Prefix);

    const auto import = RunZq3({"import", card(), "D5", source()});

    EXPECT_EQ(Fixture::ReadFileBytes(outside()), outsideBefore);
    if (workName && kind != Kind::Folder) {
        // The converter's own names are cleared by whatever a link or a FIFO is; only the name
        // goes.
        EXPECT_EQ(import.exitCode, 0) << import.err;
        EXPECT_FALSE(fs::exists(fs::symlink_status(path)));
        return;
    }
    EXPECT_EQ(import.exitCode, 1);
    EXPECT_NE(import.err.find(path), std::string::npos) << import.err;
    if (name == CardLayout::InformationFileName) {
        // The folder is no card at all: nothing was looked at beyond the information file.
        EXPECT_NE(import.err.find("not for the ZQ-314"), std::string::npos) << import.err;
        return;
    }
    EXPECT_NE(import.err.find("A " + KindText(kind) + " is in the way at " + path),
              std::string::npos)
        << import.err;
    EXPECT_EQ(entries()[0x15], SampleEntry());
    // The card is not stuck: it reads, and once the thing is gone the import goes through.
    EXPECT_EQ(RunZq3({"info", card()}).exitCode, 0);
    fs::remove(path);
    EXPECT_EQ(RunZq3({"import", card(), "D5", source()}).exitCode, 0);
    EXPECT_EQ(entries()[0x15].frameCount, 5008);
}

INSTANTIATE_TEST_SUITE_P(
    PathsAndKinds, ThingInTheWayTest,
    ::testing::Combine(::testing::Values(std::string("SMP0015L.ZQD"), std::string("SMP0015R.ZQD"),
                                         std::string(CardLayout::InformationFileName),
                                         std::string(TemporaryNames::JournalFile),
                                         std::string(TemporaryNames::SampleFile),
                                         std::string(TemporaryNames::SampleInformationFile)),
                       ::testing::Values(Kind::Folder, Kind::Link, Kind::Fifo)),
    [](const auto& test) {
        std::string name;
        for (const char c : std::get<0>(test.param)) {
            if (std::isalnum(static_cast<unsigned char>(c))) {
                name += c;
            }
        }
        const Kind kind = std::get<1>(test.param);
        return name + (kind == Kind::Folder ? "Folder" : kind == Kind::Link ? "Link" : "Fifo");
    });

TEST_F(CardObstacleTest, AnInterruptedChangeBlockedByAFolderSaysSoAndCompletesOnceItIsGone) {
    ASSERT_EQ(RunZq3({"import", card(), "C3", source()}).exitCode, 0);
    // A committed change that puts a new sample on C3, and a folder where its file goes.
    const std::string staged = TemporaryNames::SampleFile;
    fs::copy_file(cardFile("SMP0003L.ZQD"), cardFile(staged));
    fs::remove(cardFile("SMP0003L.ZQD"));
    fs::create_directory(cardFile("SMP0003L.ZQD"));
    Fixture::WriteFileBytes(
        cardFile(TemporaryNames::JournalFile),
        CardJournal::Serialize({JournalStep::Renaming(staged, "SMP0003L.ZQD")}));

    const auto stuck = RunZq3({"info", card()});
    EXPECT_EQ(stuck.exitCode, 1);
    EXPECT_NE(stuck.err.find("a folder is in the way at " + cardFile("SMP0003L.ZQD") +
                             ". Move or remove it, then open the card again"),
              std::string::npos)
        << stuck.err;

    fs::remove(cardFile("SMP0003L.ZQD"));
    const auto info = RunZq3({"info", card()});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_TRUE(fs::is_regular_file(cardFile("SMP0003L.ZQD")));
    EXPECT_FALSE(fs::exists(cardFile(TemporaryNames::JournalFile)));
}

TEST_F(CardObstacleTest, AForgedJournalThatMovesALinkIsNotCarriedOut) {
    const std::string information = CardLayout::InformationFilePath(card());
    const std::string before = Fixture::ReadFileBytes(information);
    fs::create_symlink(outside(), cardFile("___ZQ3_EVIL"));
    Fixture::WriteFileBytes(cardFile(TemporaryNames::JournalFile),
                            CardJournal::Serialize({JournalStep::Renaming(
                                "___ZQ3_EVIL", CardLayout::InformationFileName)}));

    const auto info = RunZq3({"info", card()});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_FALSE(fs::is_symlink(information));
    EXPECT_EQ(Fixture::ReadFileBytes(information), before);
    EXPECT_EQ(Fixture::ReadFileBytes(outside()), precious);
    EXPECT_FALSE(fs::exists(fs::symlink_status(cardFile("___ZQ3_EVIL"))));
    EXPECT_FALSE(fs::exists(cardFile(TemporaryNames::JournalFile)));
}

// KELDRA/ZQ314, or KELDRA, as a link: to a folder that is no card but holds names like the
// converter's own, or to another card. Neither is touched.
TEST_F(CardObstacleTest, AConverterFolderReachedThroughALinkIsNoCard) {
    const std::string other = directory / "other";
    Fixture::MakeEmptyCard(other);
    const std::string otherInformation = CardLayout::InformationFilePath(other);
    const std::string otherBefore = Fixture::ReadFileBytes(otherInformation);
    const std::string notACard = directory / "notacard";
    fs::create_directory(notACard);
    Fixture::WriteFileBytes(notACard + "/___ZQ3_precious", precious);

    const std::string linked = directory / "linked";
    fs::create_directories(linked + "/KELDRA");
    fs::create_directory_symlink(notACard, linked + "/KELDRA/ZQ314");
    const auto info = RunZq3({"info", linked});
    EXPECT_EQ(info.exitCode, 1);
    EXPECT_NE(info.err.find("symbolic link"), std::string::npos) << info.err;
    EXPECT_EQ(Fixture::ReadFileBytes(notACard + "/___ZQ3_precious"), precious);

    fs::remove(linked + "/KELDRA/ZQ314");
    fs::create_directory_symlink(CardLayout::CardDirectory(other), linked + "/KELDRA/ZQ314");
    const auto import = RunZq3({"import", linked, "C0", source()});
    EXPECT_EQ(import.exitCode, 1);
    EXPECT_NE(import.err.find("symbolic link"), std::string::npos) << import.err;

    fs::remove_all(linked);
    fs::create_directory(linked);
    fs::create_directory_symlink(other + "/KELDRA", linked + "/KELDRA");
    EXPECT_EQ(RunZq3({"import", linked, "C0", source()}).exitCode, 1);
    EXPECT_EQ(Fixture::ReadFileBytes(otherInformation), otherBefore);
}

TEST_F(CardObstacleTest, AChannelFileThatIsALinkIsNeitherExportedNorPlayed) {
    ASSERT_EQ(RunZq3({"import", card(), "D5", source()}).exitCode, 0);
    // The link leads to a file that decodes as well as any: a channel file of another pad.
    fs::rename(cardFile("SMP0015L.ZQD"), outside());
    fs::create_symlink(outside(), cardFile("SMP0015L.ZQD"));

    const std::string exportedFile = directory / "out.wav";
    const std::string playedFile = directory / "played.wav";
    const auto exported = RunZq3({"export", card(), "D5", exportedFile});
    EXPECT_EQ(exported.exitCode, 1);
    EXPECT_NE(exported.err.find("A symbolic link is in the way at " + cardFile("SMP0015L.ZQD")),
              std::string::npos)
        << exported.err;
    EXPECT_FALSE(fs::exists(exportedFile));

    const auto played = RunZq3({"play", card(), "D5"}, {"ZQ3_AUDIO_OUT=wav:" + playedFile});
    EXPECT_EQ(played.exitCode, 1);
    EXPECT_FALSE(fs::exists(playedFile) && fs::file_size(playedFile) > 1000);
}

// Every rename onto a card file fails once the journal is on the card: the change is recorded,
// and said to be, with its own exit status; the next opening completes it.
TEST_F(CardObstacleTest, ACommittedChangeThatCannotBeFinishedIsReportedAsRecorded) {
    ASSERT_EQ(RunZq3({"import", card(), "D5", source()}).exitCode, 0);
    const std::vector<std::string> refusingRenames = {std::string("LD_PRELOAD=") +
                                                          ZQ3_REFUSE_CARD_RENAMES,
                                                      "ASAN_OPTIONS=verify_asan_link_order=0"};

    const auto removed = RunZq3({"delete", card(), "D5", "--yes"}, refusingRenames);
    EXPECT_EQ(removed.exitCode, 4);
    EXPECT_EQ(removed.err.rfind("zq3: delete: The change is recorded and will be completed the "
                                "next time the card is opened.\n",
                                0),
              0u)
        << removed.err;
    EXPECT_EQ(removed.err.find("failed"), std::string::npos) << removed.err;

    EXPECT_EQ(RunZq3({"info", card()}).exitCode, 0);
    EXPECT_EQ(entries()[0x15], SampleEntry());
    EXPECT_FALSE(fs::exists(cardFile("SMP0015L.ZQD")));
}

} // namespace
} // namespace ZQ3
