#include "app/message_catalogue.h"
#include "card/card_layout.h"
#include "card/sample_information_dto.h"
#include "tests/cli/run_zq3.h"
#include "tests/support/sound_file.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wav_fixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace ZQ3 {
namespace {

using Fixture::RunZq3;
namespace fs = std::filesystem;

class FileCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Fixture::MakeEmptyCard(card());
        Fixture::WriteTestWav(source("mono.wav"), 1, 5000);
        Fixture::WriteTestWav(source("stereo.wav"), 2, 4000);
    }

    std::string card() const { return directory / "card"; }
    std::string source(const std::string& name) const { return directory / name; }
    std::vector<SampleEntry> entries() const {
        return ReadSampleInformationFile(CardLayout::InformationFilePath(card())).value();
    }
    std::vector<std::string> cardFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(CardLayout::CardDirectory(card()))) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    Fixture::TemporaryDirectory directory;
};

TEST_F(FileCommandsTest, ImportExportAndDeleteAPad) {
    auto import = RunZq3({"import", card(), "d5", source("stereo.wav")});
    ASSERT_EQ(import.exitCode, 0) << import.err;
    EXPECT_EQ(entries()[0x15].frameCount, 4000);
    EXPECT_TRUE(entries()[0x15].stereo);
    EXPECT_EQ(cardFiles(),
              (std::vector<std::string>{"SMP0015L.ZQD", "SMP0015R.ZQD", "WVCINFO0.ZQD"}));

    auto exported = RunZq3({"export", card(), "D5", source("out.WAV")});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    const auto shape = Fixture::ReadSoundFile<std::int16_t>(source("out.WAV"));
    ASSERT_TRUE(shape);
    EXPECT_EQ(shape->container, Fixture::Container::Wave);
    EXPECT_EQ(shape->channels, 2);
    EXPECT_EQ(shape->sampleRate, 44100);
    EXPECT_EQ(shape->bitsPerSample, 16);
    EXPECT_EQ(shape->frames, 4000);

    auto aiff = RunZq3({"export", card(), "D5", source("out.bin"), "--format", "aiff"});
    ASSERT_EQ(aiff.exitCode, 0) << aiff.err;
    EXPECT_EQ(Fixture::ReadFileBytes(source("out.bin")).substr(0, 4), "FORM");

    auto removed = RunZq3({"delete", card(), "D5", "--yes"});
    ASSERT_EQ(removed.exitCode, 0) << removed.err;
    EXPECT_EQ(entries()[0x15], SampleEntry());
    EXPECT_EQ(cardFiles(), (std::vector<std::string>{"WVCINFO0.ZQD"}));
}

TEST_F(FileCommandsTest, QuestionsWithoutATerminalAnswerCancel) {
    ASSERT_EQ(RunZq3({"import", card(), "C0", source("stereo.wav")}).exitCode, 0);
    const auto before = Fixture::ReadFileBytes(CardLayout::InformationFilePath(card()));

    EXPECT_EQ(RunZq3({"import", card(), "C0", source("mono.wav")}).exitCode, 3);
    EXPECT_EQ(RunZq3({"delete", card(), "C0"}).exitCode, 3);
    EXPECT_EQ(Fixture::ReadFileBytes(CardLayout::InformationFilePath(card())), before);

    auto replaced = RunZq3({"import", card(), "C0", source("mono.wav"), "--yes"});
    ASSERT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_EQ(entries()[0].frameCount, 5008);
    EXPECT_FALSE(entries()[0].stereo);
    // The right file of the stereo sample went with it.
    EXPECT_EQ(cardFiles(), (std::vector<std::string>{"SMP0000L.ZQD", "WVCINFO0.ZQD"}));
}

TEST_F(FileCommandsTest, RefusedFilesAndEmptyPads) {
    Fixture::WriteWav(source("slow.wav"), 22050, 1, 16, 5000, [](auto, int) { return 0; });
    auto refused = RunZq3({"import", card(), "C1", source("slow.wav")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err.rfind("zq3: import: Failed to load the wave file.", 0), 0u)
        << refused.err;
    EXPECT_EQ(RunZq3({"import", card(), "C1", source("missing.wav")}).exitCode, 1);

    auto empty = RunZq3({"export", card(), "C1", source("x.wav")});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_NE(empty.err.find("C1 holds no sample"), std::string::npos);
    EXPECT_FALSE(fs::exists(source("x.wav")));
    EXPECT_EQ(RunZq3({"delete", card(), "C1", "--yes"}).exitCode, 1);
    EXPECT_EQ(RunZq3({"import", directory.path(), "C1", source("mono.wav")}).exitCode, 1);
}

TEST_F(FileCommandsTest, UsageErrors) {
    ASSERT_EQ(RunZq3({"import", card(), "C2", source("mono.wav")}).exitCode, 0);
    EXPECT_EQ(RunZq3({"import", card(), "B2", source("mono.wav")}).exitCode, 2);
    EXPECT_EQ(RunZq3({"export", card(), "C2", source("x.flac")}).exitCode, 2);
    EXPECT_EQ(RunZq3({"export", card(), "C2", source("x.wav"), "--format", "mp3"}).exitCode, 2);
    EXPECT_EQ(RunZq3({"delete", card()}).exitCode, 2);
    EXPECT_FALSE(fs::exists(source("x.wav")));
}

TEST_F(FileCommandsTest, RelativePathsAreMadeAbsolute) {
    const auto here = fs::current_path();
    fs::current_path(directory.path());
    auto import = RunZq3({"import", "card", "C3", "mono.wav"});
    auto exported = RunZq3({"export", "card", "C3", "back.aiff"});
    fs::current_path(here);
    ASSERT_EQ(import.exitCode, 0) << import.err;
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_EQ(Fixture::ReadFileBytes(source("back.aiff")).substr(8, 4), "AIFF");
}

TEST_F(FileCommandsTest, InterruptCancelsAndLeavesTheCardAsItWas) {
    // Long enough that the import is still converting when the interrupt arrives.
    Fixture::WriteTestWav(source("long.wav"), 2, 44100 * 240);
    ASSERT_EQ(RunZq3({"import", card(), "C4", source("stereo.wav")}).exitCode, 0);
    const auto before = Fixture::ReadFileBytes(CardLayout::InformationFilePath(card()));
    const auto filesBefore = cardFiles();

    MessageCatalogue::Instance().fill(LanguageEnglish);
    const std::string converting = MessageCatalogue::Instance().text(MessageConverting);
    Fixture::Zq3Process import({"import", card(), "C4", source("long.wav"), "--yes"});
    ASSERT_EQ(import.startFailure(), "");
    // The progress display appears once the import converts, after the interrupt handler is in
    // place: an interrupt sent any earlier ends zq3 as it would end any other program, and the
    // test would say nothing about the cancellation.
    ASSERT_TRUE(import.waitForError(converting)) << import.errorSoFar();
    import.signal(SIGINT);
    const auto result = import.finish();
    EXPECT_EQ(result.exitCode, 3) << result.err;
    EXPECT_NE(result.err.find("Cancelled; the card is as it was."), std::string::npos)
        << result.err;
    EXPECT_EQ(Fixture::ReadFileBytes(CardLayout::InformationFilePath(card())), before);
    EXPECT_EQ(cardFiles(), filesBefore);
    EXPECT_TRUE(fs::is_empty(import.temporaryDirectory()));
}

} // namespace
} // namespace ZQ3
