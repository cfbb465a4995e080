// What zq3 says when it refuses a file, a card or a destination: the catalogue message first,
// exactly as the catalogue has it, then on the next line the reason, naming the file, in the
// user's language.

#include "app/message_catalogue.h"
#include "card/card_layout.h"
#include "tests/cli/run_zq3.h"
#include "tests/support/fifo.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wav_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace ZQ3 {
namespace {

using Fixture::RunZq3;

// A refusal and its reason in both languages.
struct Refusal {
    std::string name;
    std::vector<std::string> arguments;
    std::string english;
    std::string japanese;
};

// How the language is chosen for the Japanese run: the option or the locale.
enum class JapaneseBy { Option, Locale };

void ExpectRefusals(int message, const std::vector<Refusal>& refusals, JapaneseBy japaneseBy) {
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.name);
        for (const int language : {LanguageEnglish, LanguageJapanese}) {
            const bool japanese = language == LanguageJapanese;
            std::vector<std::string> arguments;
            std::vector<std::string> environment;
            if (!japanese) {
                arguments = {"--lang", "en"};
            } else if (japaneseBy == JapaneseBy::Option) {
                arguments = {"--lang", "ja"};
            } else {
                environment = {"LANG=ja_JP.UTF-8"};
            }
            arguments.insert(arguments.end(), refusal.arguments.begin(), refusal.arguments.end());
            MessageCatalogue::Instance().fill(language);
            const Fixture::CommandResult result = RunZq3(arguments, environment);
            EXPECT_EQ(result.exitCode, 1);
            // Every line of the tool about a command names the tool and the command.
            const std::string prefix = "zq3: " + refusal.arguments[0] + ": ";
            EXPECT_EQ(result.err, prefix + MessageCatalogue::Instance().text(message) + "\n" +
                                      (japanese ? refusal.japanese : refusal.english) + "\n");
        }
    }
}

std::int32_t Ramp(std::uint32_t frame, int channel) {
    return static_cast<std::int32_t>((frame * 5 + static_cast<std::uint32_t>(channel)) % 64);
}

TEST(CliRefusals, ImportSaysWhyTheFileIsRefused) {
    Fixture::TemporaryDirectory directory;
    const std::string card = directory / "card";
    Fixture::MakeEmptyCard(card);
    const auto file = [&](const std::string& name) { return directory / name; };

    ASSERT_TRUE(Fixture::MakeFifo(file("pipe.wav")));
    Fixture::WriteFileBytes(file("noise.wav"), std::string("\x8F\x02\xEEnoise\x00\x91 bytes", 16));
    Fixture::WriteTestWav(file("cut.wav"), 2, 20000);
    std::filesystem::resize_file(file("cut.wav"), 30000);
    Fixture::WriteWav(file("snare.wav"), 48000, 2, 24, 57600, Ramp);
    Fixture::WriteWav(file("48k.wav"), 48000, 1, 16, 24000, Ramp);
    Fixture::WriteWav(file("three.wav"), 44100, 3, 16, 44100, Ramp);
    Fixture::WriteWav(file("short.wav"), 44100, 1, 16, 2646, Ramp);
    // A 32-bit file whose format tag says IEEE float.
    Fixture::WriteWav(file("float.wav"), 44100, 1, 32, 44100, Ramp);
    std::string floating = Fixture::ReadFileBytes(file("float.wav"));
    floating[20] = '\x03';
    Fixture::WriteFileBytes(file("float.wav"), floating);

    const std::string takes = ". The card takes 16-bit, 44100 Hz, mono or stereo, at least 70 ms.";
    const std::string takesJa =
        "。カードが受け付けるのは 16 ビット、44100 Hz、モノラル又はステレオ、"
        "70 ms 以上のファイルです。";
    // Files the converter reads and could make into ones the card takes.
    const std::string advice = " (add --convert to convert it)";
    const std::string adviceJa = " （変換するには --convert を付けてください）";
    const auto import = [&](const std::string& name) {
        return std::vector<std::string>{"import", card, "D0", file(name)};
    };
    ExpectRefusals(
        MessageWaveFileRefused,
        {
            {"missing", import("missing.wav"), "missing.wav: there is no such file.",
             "missing.wav: ファイルが見つかりません。"},
            {"FIFO", import("pipe.wav"),
             "pipe.wav: this is a FIFO (named pipe), not a regular file.",
             "pipe.wav: 通常のファイルではなく、FIFO（名前付きパイプ）です。"},
            {"random bytes", import("noise.wav"), "noise.wav: this is not a WAV or AIFF file.",
             "noise.wav: WAV ファイルでも AIFF ファイルでもありません。"},
            {"truncated", import("cut.wav"),
             "cut.wav: the file is cut short; it ends before the sound data its header announces.",
             "cut.wav: "
             "ファイルが途中で切れています。ヘッダーが示すサウンド・データが最後までありません。"},
            {"24-bit", import("snare.wav"),
             "snare.wav: 24-bit, 48000 Hz, stereo, 1.20 s" + takes + advice,
             "snare.wav: 24 ビット、48000 Hz、ステレオ、1.20 秒" + takesJa + adviceJa},
            {"48 kHz", import("48k.wav"),
             "48k.wav: 16-bit, 48000 Hz, mono, 500 ms" + takes + advice,
             "48k.wav: 16 ビット、48000 Hz、モノラル、500 ms" + takesJa + adviceJa},
            {"3 channels", import("three.wav"),
             "three.wav: 16-bit, 44100 Hz, 3 channels, 1.00 s" + takes + advice,
             "three.wav: 16 ビット、44100 Hz、3 チャンネル、1.00 秒" + takesJa + adviceJa},
            // Too short for conversion to help, but not for padding.
            {"60 ms", import("short.wav"),
             "short.wav: 16-bit, 44100 Hz, mono, 60 ms" + takes +
                 " Add --pad to extend it with silence to 70 ms.",
             "short.wav: 16 ビット、44100 Hz、モノラル、60 ms" + takesJa +
                 "--pad を付けると無音で 70 ms に延ばせます。"},
            {"float", import("float.wav"),
             "float.wav: 32-bit float, 44100 Hz, mono, 1.00 s" + takes + advice,
             "float.wav: 32 ビット浮動小数点、44100 Hz、モノラル、1.00 秒" + takesJa + adviceJa},
        },
        JapaneseBy::Option);
}

TEST(CliRefusals, InfoSaysWhyTheFolderIsNoCard) {
    Fixture::TemporaryDirectory directory;
    const std::string missing = directory / "missing";
    const std::string plain = directory / "plain";
    std::filesystem::create_directory(plain);
    const std::string shortCard = directory / "short";
    Fixture::MakeEmptyCard(shortCard);
    const std::string shortInformation = CardLayout::InformationFilePath(shortCard);
    Fixture::WriteFileBytes(shortInformation, std::string(2943, '\0'));
    const std::string damagedCard = directory / "damaged";
    Fixture::MakeEmptyCard(damagedCard);
    const std::string damagedInformation = CardLayout::InformationFilePath(damagedCard);
    std::string bytes = Fixture::ReadFileBytes(damagedInformation);
    // The tempo of D5 (slot 0x15), at offset 18 of its record.
    bytes.replace(0x15 * 23 + 18, 2, "\xFF\xFF");
    Fixture::WriteFileBytes(damagedInformation, bytes);

    ExpectRefusals(
        MessageNotACard,
        {
            {"no such folder",
             {"info", missing},
             missing + ": there is no such folder.",
             missing + ": フォルダーが見つかりません。"},
            {"no converter folder",
             {"info", plain},
             plain + ": there is no KELDRA/ZQ314/ folder in it.",
             plain + ": KELDRA/ZQ314/ フォルダーがありません。"},
            {"2943 bytes",
             {"info", shortCard},
             shortInformation +
                 ": the information file is 2943 bytes long; a card's is 2944 bytes.",
             shortInformation + ": 情報ファイルのサイズが 2943 バイトです。カードの情報ファイルは "
                                "2944 バイトです。"},
            {"invalid record",
             {"info", damagedCard},
             damagedInformation + ": the record of pad D5 is invalid: its tempo (offset 18 in the "
                                  "record) has every bit set.",
             damagedInformation +
                 ": パッド D5 のレコードが不正です。テンポ（レコード内のオフセット "
                 "18）のビットがすべて 1 になっています。"},
            // A command that changes the card meets the missing folder first.
            {"no such folder for an import",
             {"import", missing, "D5", directory / "any.wav"},
             missing + ": there is no such folder.",
             missing + ": フォルダーが見つかりません。"},
        },
        JapaneseBy::Locale);
}

TEST(CliRefusals, ExportSaysWhatIsWrongWithTheDestination) {
    Fixture::TemporaryDirectory directory;
    const std::string card = directory / "card";
    Fixture::MakeEmptyCard(card);
    Fixture::WriteTestWav(directory / "pad.wav", 1, 5000);
    ASSERT_EQ(RunZq3({"import", card, "D5", directory / "pad.wav"}).exitCode, 0);
    const std::string locked = directory / "locked.wav";
    Fixture::WriteFileBytes(locked, "keep");
    // No write bit at all: read-only for whoever asks, root included.
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);

    ExpectRefusals(MessageExportFailed,
                   {
                       {"missing folder",
                        {"export", card, "D5", directory / "missing/pad.wav"},
                        "pad.wav: the folder " + (directory / "missing") + " does not exist.",
                        "pad.wav: フォルダー " + (directory / "missing") + " が存在しません。"},
                       {"read-only file",
                        {"export", card, "D5", locked},
                        "locked.wav: the existing file is read-only.",
                        "locked.wav: 既存のファイルが読み取り専用です。"},
                   },
                   JapaneseBy::Option);
    EXPECT_EQ(Fixture::ReadFileBytes(locked), "keep");
    EXPECT_FALSE(std::filesystem::exists(directory / "missing"));
}

} // namespace
} // namespace ZQ3
