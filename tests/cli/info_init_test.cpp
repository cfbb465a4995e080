#include "card/card_layout.h"
#include "card/sample_information_dto.h"
#include "tests/cli/run_zq3.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ZQ3 {
namespace {

using Fixture::RunZq3;

const std::string NotACardEnglish = "zq3: info: The selected drive is not for the ZQ-314.\n";
const std::string NotACardJapanese =
    "zq3: info: ZQ-314 メモリー・カード以外のドライブを選択しました。\n";

// The refusal of a folder without the converter's folder, with its reason.
std::string NoConverterFolderEnglish(const std::string& root) {
    return NotACardEnglish + root + ": there is no KELDRA/ZQ314/ folder in it.\n";
}
std::string NoConverterFolderJapanese(const std::string& root) {
    return NotACardJapanese + root + ": KELDRA/ZQ314/ フォルダーがありません。\n";
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(CliInit, MakesAnEmptyCardThatInfoLists) {
    Fixture::TemporaryDirectory card;
    auto init = RunZq3({"init", card.path()});
    ASSERT_EQ(init.exitCode, 0) << init.err;
    auto info = RunZq3({"info", card.path(), "--json"});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(Count(info.out, "\"hasSample\":false"), 128u);
    EXPECT_EQ(Count(info.out, "\"tempo\":1020"), 128u);
    EXPECT_NE(info.out.find("{\"slot\":127,\"bank\":\"J\",\"pad\":15,"), std::string::npos);
    EXPECT_EQ(info.out.rfind("{\"root\":\"" + card.path() + "\",\"freeBytes\":", 0), 0u);
}

TEST(CliInit, NeverOverwritesAndMakesAMissingFolder) {
    Fixture::TemporaryDirectory card;
    ASSERT_EQ(RunZq3({"init", card.path()}).exitCode, 0);
    const std::string path = CardLayout::InformationFilePath(card.path());
    std::vector<SampleEntry> entries(128);
    entries[9].frameCount = 5000;
    Fixture::MakeCard(card.path(), entries);
    const auto before = Fixture::ReadFileBytes(path);
    auto again = RunZq3({"init", card.path()});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.err.find("already"), std::string::npos);
    EXPECT_EQ(Fixture::ReadFileBytes(path), before);
    const auto made = RunZq3({"init", (card / "missing/card")});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_EQ(made.out.find((card / "missing") + ": "), 0u) << made.out;
    EXPECT_NE(made.out.find("\n" + (card / "missing/card") + ": "), std::string::npos) << made.out;
    EXPECT_TRUE(ReadSampleInformationFile(CardLayout::InformationFilePath(card / "missing/card")));
}

// A card with a mono, a stereo and a lo-fi pad, as the sampler would lay them out.
TEST(CliInfo, ShowsBanksAsTheSamplerDoesAndEveryFieldAsJson) {
    Fixture::TemporaryDirectory card;
    std::vector<SampleEntry> entries(128);
    entries[0x15].frameCount = 44100;
    entries[0x15].stereo = true;
    entries[0x15].tempo = 1200;
    entries[0].frameCount = 3104;
    entries[0].lofi = 1;
    entries[1].frameCount = 22050;
    entries[0x0F].frameCount = 4410;
    Fixture::MakeCard(card.path(), entries);

    // A trailing separator names the same card.
    auto bankC = RunZq3({"info", card.path() + "/", "c"});
    ASSERT_EQ(bankC.exitCode, 0) << bankC.err;
    EXPECT_EQ(bankC.out.rfind("Card " + card.path() + ": ", 0), 0u) << bankC.out;
    // Pad 15 top right, pad 0 bottom left.
    EXPECT_NE(bankC.out.find("\nBank C\n 12· 13· 14· 15M\n  8·  9· 10· 11·\n  4·  5·  6·  7·\n"
                             "  0L  1M  2·  3·\n"),
              std::string::npos)
        << bankC.out;
    EXPECT_NE(bankC.out.find("C0      0.141     mono        yes         102.0\n"),
              std::string::npos)
        << bankC.out;
    EXPECT_NE(bankC.out.find("3 of 16 pads hold a sample"), std::string::npos);
    EXPECT_EQ(bankC.out.find("Bank D"), std::string::npos);

    auto whole = RunZq3({"info", card.path()});
    ASSERT_EQ(whole.exitCode, 0) << whole.err;
    EXPECT_NE(whole.out.find("Pad     Seconds   Channels    Lo-fi       Tempo (BPM)\n"),
              std::string::npos)
        << whole.out;
    EXPECT_NE(whole.out.find("D5      1.000     stereo      no          120.0\n"),
              std::string::npos);
    EXPECT_NE(whole.out.find("  4·  5·  6·  7·      4·  5S  6·  7·"), std::string::npos);
    EXPECT_NE(whole.out.find("4 of 128 pads hold a sample"), std::string::npos);

    auto json = RunZq3({"info", card.path(), "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_NE(json.out.find("\"secondsLeftMono\":"), std::string::npos);
    EXPECT_NE(json.out.find("\"secondsLeftStereo\":"), std::string::npos);
    // The lo-fi pad plays twice the frames it stores.
    EXPECT_NE(json.out.find("\"frameCount\":3104,\"lofi\":1,"), std::string::npos);
    EXPECT_NE(json.out.find("\"tempo2\":1020,\"playedFrames\":6208,\"seconds\":0.14077097505668"),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"playedFrames\":44100,\"seconds\":1,\"bpm\":120}"),
              std::string::npos);

    auto japanese = RunZq3({"info", card.path(), "D", "--lang", "ja"});
    ASSERT_EQ(japanese.exitCode, 0) << japanese.err;
    EXPECT_NE(japanese.out.find("D5      1.000     ステレオ    なし        120.0\n"),
              std::string::npos)
        << japanese.out;
    EXPECT_EQ(RunZq3({"info", card.path(), "K"}).exitCode, 2);
    EXPECT_NE(RunZq3({"info", card.path(), "D"}).out.find("\n1 of 16 pads holds a sample\n"),
              std::string::npos);
}

TEST(CliInfo, RefusesFoldersThatAreNotCards) {
    Fixture::TemporaryDirectory card;
    auto plain = RunZq3({"info", card.path()});
    EXPECT_EQ(plain.exitCode, 1);
    EXPECT_EQ(plain.err, NoConverterFolderEnglish(card.path()));
    EXPECT_TRUE(plain.out.empty());

    std::filesystem::create_directories(CardLayout::CardDirectory(card.path()));
    const std::string path = CardLayout::InformationFilePath(card.path());
    Fixture::WriteFileBytes(path, std::string(2943, '\0'));
    EXPECT_EQ(RunZq3({"info", card.path()}).err,
              NotACardEnglish + path +
                  ": the information file is 2943 bytes long; a card's is 2944 bytes.\n");
    Fixture::WriteFileBytes(path, "Z");
    EXPECT_NE(RunZq3({"info", card.path()}).err.find("the information file is 1 byte long;"),
              std::string::npos);
    Fixture::WriteFileBytes(path, std::string(2944, '\xFF'));
    EXPECT_EQ(RunZq3({"info", card.path()}).exitCode, 1);
    Fixture::WriteFileBytes(path, std::string(2944, '\0'));
    EXPECT_EQ(RunZq3({"info", card.path()}).exitCode, 0);
}

TEST(CliLanguage, LocaleAndOverride) {
    Fixture::TemporaryDirectory card;
    const std::string english = NoConverterFolderEnglish(card.path());
    const std::string japanese = NoConverterFolderJapanese(card.path());
    EXPECT_EQ(RunZq3({"info", card.path()}, {"LANG=ja_JP.UTF-8"}).err, japanese);
    EXPECT_EQ(RunZq3({"info", card.path()}, {"LC_ALL=ja_JP.UTF-8", "LANG=en_US.UTF-8"}).err,
              japanese);
    EXPECT_EQ(RunZq3({"--lang", "en", "info", card.path()}, {"LANG=ja_JP.UTF-8"}).err, english);
    EXPECT_EQ(RunZq3({"--lang", "ja", "info", card.path()}).err, japanese);
}

TEST(CliUsage, ErrorsExitTwoWithAHint) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {}, {"bogus"}, {"info"}, {"--lang", "fr", "info", "/tmp"}, {"help", "bogus"}}) {
        auto result = RunZq3(arguments);
        EXPECT_EQ(result.exitCode, 2) << (arguments.empty() ? "" : arguments[0]);
        EXPECT_NE(result.err.find("zq3 help"), std::string::npos);
    }
    auto help = RunZq3({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("info"), std::string::npos);
    auto version = RunZq3({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("zq3 ", 0), 0u);
    auto command = RunZq3({"help", "init"});
    EXPECT_EQ(command.exitCode, 0);
    EXPECT_NE(command.out.find("CARD"), std::string::npos);

    // A mistyped command is named and the nearest one offered; a wrong argument points at the
    // command's own help.
    EXPECT_EQ(RunZq3({"imprt", "card"}).err,
              "zq3: no such command: imprt. Did you mean 'import'?\nRun 'zq3 help' for usage.\n");
    EXPECT_EQ(RunZq3({"delete", "card", "K5"}).err.rfind("zq3: delete: ", 0), 0u);
    EXPECT_NE(RunZq3({"delete", "card", "K5"}).err.find("Run 'zq3 help delete' for usage."),
              std::string::npos);
    // "help" alone is the overview, with an example for every command; "help help" is its own.
    const auto overview = RunZq3({"help"});
    EXPECT_EQ(overview.out, help.out);
    for (const char* example : {"zq3 info CARD", "zq3 import CARD D0 kit/", "zq3 export CARD D",
                                "zq3 delete CARD D5", "zq3 play CARD D5"}) {
        EXPECT_NE(overview.out.find(example), std::string::npos) << example;
    }
    EXPECT_EQ(RunZq3({"help", "help"}).out.rfind("Usage: zq3 help [COMMAND]", 0), 0u);
    EXPECT_NE(RunZq3({"help", "import", "--lang", "ja"}).out.find("終了ステータス"),
              std::string::npos);
}

// The argument parser's own complaints reach the user in the user's language, naming only the
// command's arguments and what was typed.
TEST(CliUsage, ArgumentErrorsInTheUsersLanguage) {
    const std::vector<std::vector<std::string>> mistakes{
        {"import", "card"},
        {"info", "card", "D", "more", "words"},
        {"export", "card", "D5", "x.wav", "--format", "mp3"},
        {"play", "x.wav", "--ring-buffer-time", "often"}};
    for (const auto& arguments : mistakes) {
        std::vector<std::string> japanese{"--lang", "ja"};
        japanese.insert(japanese.end(), arguments.begin(), arguments.end());
        const auto result = RunZq3(japanese);
        EXPECT_EQ(result.exitCode, 2) << arguments[0];
        // Past the prefix, no English words: only names and what was typed are ASCII.
        const std::string said = result.err.substr(0, result.err.find('\n'));
        for (const char* english : {"required", "expected", "not in", "convert", "argument"}) {
            EXPECT_EQ(said.find(english), std::string::npos) << said;
        }
    }
    EXPECT_NE(RunZq3({"import", "card"}).err.find("PAD is missing."), std::string::npos);
    EXPECT_NE(RunZq3({"info", "card", "D", "more"}).err.find("too many arguments: more."),
              std::string::npos);
}

} // namespace
} // namespace ZQ3
