#include "app/message_catalogue.h"
#include "card/card_layout.h"
#include "card/sample_information_dto.h"
#include "tests/cli/run_zq3.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wav_fixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <map>

namespace ZQ3 {
namespace {

using Fixture::RunZq3;
namespace fs = std::filesystem;

// Several pads in one command: a kit folder onto a bank, and what a batch leaves when one of its
// files is refused or the user cancels it.
class BatchCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { Fixture::MakeEmptyCard(card()); }

    std::string card() const { return directory / "card"; }
    std::string path(const std::string& name) const { return directory / name; }
    std::vector<SampleEntry> entries(const std::string& root) const {
        return ReadSampleInformationFile(CardLayout::InformationFilePath(root)).value();
    }
    // Every file of a card's folder with its bytes: what "the card as it was" means.
    static std::map<std::string, std::string> Snapshot(const std::string& root) {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(CardLayout::CardDirectory(root))) {
            files[entry.path().filename()] = Fixture::ReadFileBytes(entry.path());
        }
        return files;
    }
    // "hit1.wav" to "hit16.wav" in folder, each of its own length, odd ones mono, even stereo.
    void MakeKit(const std::string& folder) const {
        fs::create_directories(folder);
        for (int i = 1; i <= 16; ++i) {
            Fixture::WriteTestWav(folder + "/hit" + std::to_string(i) + ".wav", 2 - i % 2,
                                  static_cast<std::uint32_t>(3200 + 160 * i));
        }
    }

    Fixture::TemporaryDirectory directory;
};

TEST_F(BatchCommandsTest, AKitFolderLandsOnTheBankInNaturalOrderAsSingleImportsWould) {
    MakeKit(path("kit"));
    // Neither counts: a file of another kind, and the hidden companion another system left.
    Fixture::WriteFileBytes(path("kit/notes.txt"), "808");
    Fixture::WriteTestWav(path("kit/._hit1.wav"), 1, 3200);

    const auto batch = RunZq3({"import", card(), "D0", path("kit")});
    ASSERT_EQ(batch.exitCode, 0) << batch.err;
    EXPECT_EQ(batch.out.rfind("D0 ← hit1.wav (0.08 s, mono)\nD1 ← hit2.wav (0.08 s, stereo)\n", 0),
              0u)
        << batch.out;
    EXPECT_NE(batch.out.find("D15 ← hit16.wav"), std::string::npos);

    const std::string singles = path("singles");
    Fixture::MakeEmptyCard(singles);
    for (int i = 1; i <= 16; ++i) {
        const std::string pad = "D" + std::to_string(i - 1);
        ASSERT_EQ(
            RunZq3({"import", singles, pad, path("kit/hit" + std::to_string(i) + ".wav")}).exitCode,
            0);
    }
    const auto batchEntries = entries(card());
    for (int pad = 0; pad < 16; ++pad) {
        SCOPED_TRACE(pad);
        const int slot = CardLayout::Slot(1, pad);
        EXPECT_EQ(batchEntries[std::size_t(slot)].frameCount, 3200 + 160 * (pad + 1));
        EXPECT_EQ(batchEntries[std::size_t(slot)].stereo, pad % 2 == 1);
    }
    EXPECT_EQ(batchEntries, entries(singles));
    EXPECT_EQ(Snapshot(card()), Snapshot(singles));
}

TEST_F(BatchCommandsTest, OneRefusedFileWritesNothingAndIsNamed) {
    MakeKit(path("kit"));
    Fixture::WriteWav(path("kit/hit7.wav"), 22050, 1, 16, 5000, [](auto, int) { return 0; });
    Fixture::WriteFileBytes(path("kit/hit12.wav"), "not a sound");
    ASSERT_EQ(RunZq3({"import", card(), "E3", path("kit/hit1.wav")}).exitCode, 0);
    const auto before = Snapshot(card());

    const auto batch = RunZq3({"import", card(), "D0", path("kit"), "--yes"});
    EXPECT_EQ(batch.exitCode, 1);
    MessageCatalogue::Instance().fill(LanguageEnglish);
    EXPECT_EQ(batch.err.rfind("zq3: import: " + CatalogueText(MessageWaveFileRefused) + "\n", 0),
              0u)
        << batch.err;
    // Each refused file with its reason, and no other.
    EXPECT_NE(batch.err.find("\nhit7.wav: 16-bit, 22050 Hz, mono, 226.7 ms."), std::string::npos)
        << batch.err;
    EXPECT_NE(batch.err.find("\nhit12.wav: this is not a WAV or AIFF file.\n"), std::string::npos);
    EXPECT_EQ(batch.err.find("hit8.wav"), std::string::npos);
    EXPECT_TRUE(batch.out.empty());
    EXPECT_EQ(Snapshot(card()), before);
}

TEST_F(BatchCommandsTest, AskNothingWhenAFileIsRefusedWhateverTheAnswer) {
    MakeKit(path("kit"));
    ASSERT_EQ(RunZq3({"import", card(), "E0", path("kit/hit1.wav"), path("kit/hit2.wav"),
                      path("kit/hit3.wav")})
                  .exitCode,
              0);
    const auto before = Snapshot(card());
    Fixture::WriteTestWav(path("click.wav"), 1, 1000);
    Fixture::WriteWav(path("pad24.wav"), 44100, 2, 24, 5000, [](auto, int) { return 0; });
    Fixture::WriteFileBytes(path("fake.wav"), "not a sound");

    // Converting would mend pad24.wav but neither of the others, with the question or without.
    for (const bool convert : {false, true}) {
        std::vector<std::string> arguments{
            "import", card(), "E0", path("click.wav"), path("pad24.wav"), path("fake.wav")};
        if (convert) {
            arguments.push_back("--convert");
        }
        const auto refused = RunZq3(arguments);
        EXPECT_EQ(refused.exitCode, 1) << refused.err;
        EXPECT_EQ(refused.err.find("Replace"), std::string::npos) << refused.err;
        EXPECT_NE(refused.err.find("\nclick.wav: "), std::string::npos) << refused.err;
        EXPECT_NE(refused.err.find("\nfake.wav: "), std::string::npos) << refused.err;
        EXPECT_EQ(Snapshot(card()), before);
    }
}

TEST_F(BatchCommandsTest, ABackupGoesBackOntoThePadsItsFilesAreNamedFor) {
    MakeKit(path("kit"));
    const std::map<std::string, std::string> padFiles{
        {"C3", "hit1.wav"}, {"D2", "hit2.wav"}, {"D9", "hit3.wav"}, {"J15", "hit4.wav"}};
    for (const auto& [pad, file] : padFiles) {
        ASSERT_EQ(RunZq3({"import", card(), pad, path("kit/" + file)}).exitCode, 0);
    }
    ASSERT_EQ(RunZq3({"export", card(), "all", path("backup")}).exitCode, 0);
    const auto original = entries(card());

    const std::string restored = path("restored");
    Fixture::MakeEmptyCard(restored);
    const auto all = RunZq3({"import", restored, "all", path("backup")});
    ASSERT_EQ(all.exitCode, 0) << all.err;
    EXPECT_EQ(entries(restored), original);
    EXPECT_NE(all.out.find("D9 ← D09.wav"), std::string::npos) << all.out;

    // One bank: the files of the other banks are left out.
    const std::string bankD = path("bank-d");
    Fixture::MakeEmptyCard(bankD);
    ASSERT_EQ(RunZq3({"import", bankD, "d", path("backup")}).exitCode, 0);
    const auto bankEntries = entries(bankD);
    for (int slot = 0; slot < CardLayout::SlotCount; ++slot) {
        const bool inBankD = slot / CardLayout::PadsPerBank == 1;
        EXPECT_EQ(bankEntries[std::size_t(slot)],
                  inBankD ? original[std::size_t(slot)] : SampleEntry{})
            << slot;
    }

    // A file whose name is no pad's, or a second file for one pad, has nowhere to go.
    Fixture::WriteTestWav(path("backup/kick.wav"), 1, 3200);
    const auto before = Snapshot(restored);
    const auto unnamed = RunZq3({"import", restored, "all", path("backup"), "--yes"});
    EXPECT_EQ(unnamed.exitCode, 1);
    EXPECT_NE(unnamed.err.find("kick.wav: "), std::string::npos) << unnamed.err;
    fs::remove(path("backup/kick.wav"));
    Fixture::WriteTestWav(path("backup/d2.aif"), 1, 3200);
    const auto twice = RunZq3({"import", restored, "D", path("backup"), "--yes"});
    EXPECT_EQ(twice.exitCode, 1);
    EXPECT_NE(twice.err.find("D02.wav"), std::string::npos) << twice.err;
    EXPECT_EQ(Snapshot(restored), before);
}

TEST_F(BatchCommandsTest, ProgressCountsTheBatchsFilesNotTheirChannels) {
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
        Fixture::WriteTestWav(path(name), 2, 44100);
    }
    Fixture::Zq3Process batch(
        {"--lang", "en", "import", card(), "C0", path("a.wav"), path("b.wav"), path("c.wav")});
    const auto batchResult = batch.finish();
    ASSERT_EQ(batchResult.exitCode, 0) << batchResult.err;
    EXPECT_NE(batchResult.err.find("2/3 b.wav: encoding"), std::string::npos) << batchResult.err;
    EXPECT_NE(batchResult.err.find("3/3 c.wav: copying"), std::string::npos) << batchResult.err;

    Fixture::Zq3Process single({"--lang", "en", "import", card(), "D0", path("a.wav")});
    const auto singleResult = single.finish();
    ASSERT_EQ(singleResult.exitCode, 0) << singleResult.err;
    EXPECT_NE(singleResult.err.find("a.wav: copying"), std::string::npos) << singleResult.err;
    EXPECT_EQ(singleResult.err.find("1/2"), std::string::npos) << singleResult.err;
}

TEST_F(BatchCommandsTest, PadsRunIntoTheNextBankButNeverPastTheLastPad) {
    Fixture::WriteTestWav(path("a.wav"), 1, 3200);
    Fixture::WriteTestWav(path("b.wav"), 2, 3200);
    const auto across = RunZq3({"import", card(), "D15", path("a.wav"), path("b.wav")});
    ASSERT_EQ(across.exitCode, 0) << across.err;
    EXPECT_EQ(across.out, "D15 ← a.wav (0.07 s, mono)\nE0 ← b.wav (0.07 s, stereo)\n");

    const auto before = Snapshot(card());
    const auto past = RunZq3({"import", card(), "J15", path("a.wav"), path("b.wav")});
    EXPECT_EQ(past.exitCode, 1);
    EXPECT_NE(past.err.find("2 files do not fit: from the first pad given to J15 there is 1 pad."),
              std::string::npos)
        << past.err;
    fs::create_directory(path("empty"));
    EXPECT_EQ(RunZq3({"import", card(), "C0", path("empty")}).exitCode, 1);
    EXPECT_EQ(Snapshot(card()), before);
}

TEST_F(BatchCommandsTest, InterruptDuringABatchLeavesTheCardByteIdentical) {
    fs::create_directory(path("kit"));
    Fixture::WriteTestWav(path("kit/1.wav"), 1, 4000);
    Fixture::WriteTestWav(path("kit/2.wav"), 2, 4000);
    // Long enough that the batch is still converting it when the interrupt arrives.
    Fixture::WriteTestWav(path("kit/3.wav"), 2, 44100 * 240);
    ASSERT_EQ(RunZq3({"import", card(), "C1", path("kit/1.wav")}).exitCode, 0);
    const auto before = Snapshot(card());

    Fixture::Zq3Process import({"import", card(), "C0", path("kit"), "--yes"});
    ASSERT_EQ(import.startFailure(), "");
    // By the third file the first two are staged on the card.
    ASSERT_TRUE(import.waitForError("3/3 3.wav: encoding")) << import.errorSoFar();
    import.signal(SIGINT);
    const auto result = import.finish();
    EXPECT_EQ(result.exitCode, 3) << result.err;
    EXPECT_EQ(Snapshot(card()), before);
    EXPECT_TRUE(fs::is_empty(import.temporaryDirectory()));
}

TEST_F(BatchCommandsTest, QuestionsNameThePadsAndSayWhyNothingHappened) {
    Fixture::WriteTestWav(path("a.wav"), 1, 3200);
    Fixture::WriteTestWav(path("b.wav"), 2, 4000);
    ASSERT_EQ(
        RunZq3({"import", card(), "D0", path("a.wav"), path("a.wav"), path("a.wav")}).exitCode, 0);
    const auto before = Snapshot(card());

    // Without a terminal the tool cannot ask, and says what to do instead.
    const auto declined =
        RunZq3({"import", card(), "D1", path("b.wav"), path("b.wav"), path("b.wav")});
    EXPECT_EQ(declined.exitCode, 3);
    EXPECT_EQ(declined.err.rfind("zq3: import: D1, D2 already hold samples. Replace them? ", 0), 0u)
        << declined.err;
    EXPECT_NE(declined.err.find("--yes"), std::string::npos);
    EXPECT_EQ(Snapshot(card()), before);

    // Asked in Japanese on a terminal, answered in Japanese; --lang after the command.
    Fixture::Zq3Process asked({"import", card(), "D2", path("b.wav"), "--lang", "ja"}, {},
                              Fixture::Zq3Process::Input::Terminal);
    ASSERT_EQ(asked.startFailure(), "");
    ASSERT_TRUE(
        asked.waitForError("D2 には既にサンプルがあります。置き換えますか？ [はい/いいえ] "))
        << asked.errorSoFar();
    ASSERT_TRUE(asked.type("はい\n"));
    const auto replaced = asked.finish();
    EXPECT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_EQ(replaced.out, "D2 ← b.wav （0.09 秒、ステレオ）\n");
    EXPECT_TRUE(entries(card())[std::size_t(CardLayout::Slot(1, 2))].stereo);
}

TEST_F(BatchCommandsTest, ExportsABankAndTheWholeCardIntoFolders) {
    MakeKit(path("kit"));
    ASSERT_EQ(RunZq3({"import", card(), "D0", path("kit/hit1.wav"), path("kit/hit2.wav")}).exitCode,
              0);
    ASSERT_EQ(RunZq3({"import", card(), "J15", path("kit/hit3.wav")}).exitCode, 0);

    const auto bank = RunZq3({"export", card(), "d", path("bank-d"), "--quiet"});
    ASSERT_EQ(bank.exitCode, 0) << bank.err;
    EXPECT_TRUE(bank.out.empty());
    EXPECT_TRUE(fs::exists(path("bank-d/D00.wav")));
    EXPECT_TRUE(fs::exists(path("bank-d/D01.wav")));
    EXPECT_FALSE(fs::exists(path("bank-d/J15.wav")));

    const auto all = RunZq3({"export", card(), "all", path("backup"), "--format", "aiff"});
    ASSERT_EQ(all.exitCode, 0) << all.err;
    EXPECT_EQ(all.out.rfind("D0 → " + path("backup/D00.aiff") + " (0.08 s, mono)\n", 0), 0u)
        << all.out;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path("backup"))) {
        names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"D00.aiff", "D01.aiff", "J15.aiff"}));

    // The same sound as a single export of the pad.
    ASSERT_EQ(RunZq3({"export", card(), "D1", path("single.wav")}).exitCode, 0);
    EXPECT_EQ(Fixture::ReadFileBytes(path("single.wav")),
              Fixture::ReadFileBytes(path("bank-d/D01.wav")));
}

// One damaged pad does not stop a backup: the others are written, the damaged one is named with
// its reason, and the exit status says that pads were skipped.
TEST_F(BatchCommandsTest, ABackupSkipsADamagedPadAndNamesIt) {
    MakeKit(path("kit"));
    ASSERT_EQ(RunZq3({"import", card(), "D0", path("kit/hit1.wav"), path("kit/hit2.wav"),
                      path("kit/hit3.wav"), path("kit/hit4.wav")})
                  .exitCode,
              0);
    const int damaged = CardLayout::Slot(1, 2);
    fs::remove(CardLayout::LeftFilePath(card(), damaged));

    const auto all = RunZq3({"export", card(), "all", path("backup")}, {"LANG=C"});
    EXPECT_EQ(all.exitCode, 5) << all.err;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path("backup"))) {
        names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"D00.wav", "D01.wav", "D03.wav"}));
    EXPECT_NE(all.err.find("D2: its channel file " + CardLayout::LeftFileName(damaged)),
              std::string::npos)
        << all.err;

    // The same pad alone fails, with the same reason.
    const auto single = RunZq3({"export", card(), "D2", path("d2.wav")}, {"LANG=C"});
    EXPECT_EQ(single.exitCode, 1);
    EXPECT_NE(single.err.find("D2: its channel file " + CardLayout::LeftFileName(damaged)),
              std::string::npos)
        << single.err;
}

// A channel file cut short is named with its size and the size its record needs.
TEST_F(BatchCommandsTest, AnExportOfAPadCutShortSaysByHowMuch) {
    MakeKit(path("kit"));
    ASSERT_EQ(RunZq3({"import", card(), "E7", path("kit/hit1.wav")}).exitCode, 0);
    const int slot = CardLayout::Slot(2, 7);
    const std::string file = CardLayout::LeftFilePath(card(), slot);
    const auto whole = fs::file_size(file);
    fs::resize_file(file, whole / 2);

    const auto exported = RunZq3({"export", card(), "E7", path("e7.wav")}, {"LANG=C"});
    EXPECT_EQ(exported.exitCode, 1);
    EXPECT_NE(exported.err.find("E7: " + CardLayout::LeftFileName(slot) + " holds " +
                                std::to_string(whole / 2) + " bytes where its record needs " +
                                std::to_string(whole)),
              std::string::npos)
        << exported.err;
    EXPECT_FALSE(fs::exists(path("e7.wav")));
}

} // namespace
} // namespace ZQ3
