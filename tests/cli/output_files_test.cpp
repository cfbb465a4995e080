// The files the tool writes outside the card: `zq3 convert` and `zq3 export` put a complete file
// in place or none, and never open a file to more people than before.

#include "card/temporary_names.h"
#include "tests/cli/run_zq3.h"
#include "tests/support/required_program.h"
#include "tests/support/sound_file.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wait_until.h"
#include "tests/support/wav_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

namespace ZQ3 {
namespace {

using Fixture::RunZq3;
namespace fs = std::filesystem;

mode_t ModeOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

// The umask of the test for as long as the object lives; the tool inherits it.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : previous_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(previous_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t previous_;
};

class OutputFilesTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return directory / name; }
    void Sox(const std::string& arguments) const {
        ZQ3_REQUIRE_PROGRAM("sox", "sox");
        ASSERT_EQ(std::system(("sox -V1 " + arguments + " 2>&1").c_str()), 0) << arguments;
    }
    // Names in the directory that begin with the converter's temporary prefix.
    std::vector<std::string> workFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory.path())) {
            const std::string name = entry.path().filename();
            if (name.rfind(TemporaryNames::Prefix, 0) == 0) {
                names.push_back(name);
            }
        }
        return names;
    }

    Fixture::TemporaryDirectory directory;
};

TEST_F(OutputFilesTest, ExportKeepsTheModeOfTheFileItReplacesAndANewFileFollowsTheUmask) {
    Fixture::MakeEmptyCard(path("card"));
    Fixture::WriteTestWav(path("mono.wav"), 1, 5000);
    ASSERT_EQ(RunZq3({"import", path("card"), "C0", path("mono.wav")}).exitCode, 0);

    Fixture::WriteFileBytes(path("private.wav"), "mine alone");
    ::chmod(path("private.wav").c_str(), 0600);
    const auto replaced = RunZq3({"export", path("card"), "C0", path("private.wav")});
    ASSERT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_NE(Fixture::ReadFileBytes(path("private.wav")), "mine alone");
    EXPECT_EQ(ModeOf(path("private.wav")), 0600u);

    ScopedUmask mask(027);
    const auto created = RunZq3({"export", path("card"), "C0", path("new.wav")});
    ASSERT_EQ(created.exitCode, 0) << created.err;
    EXPECT_EQ(ModeOf(path("new.wav")), 0640u);
}

TEST_F(OutputFilesTest, AnExportFileIsInTheFormatItsNameSaysAndSeveralPadsNeedAFolder) {
    Fixture::MakeEmptyCard(path("card"));
    Fixture::WriteTestWav(path("mono.wav"), 1, 5000);
    ASSERT_EQ(RunZq3({"import", path("card"), "D5", path("mono.wav")}).exitCode, 0);

    const auto conflict = RunZq3({"export", path("card"), "D5", path("x.wav"), "--format", "aiff"});
    EXPECT_EQ(conflict.exitCode, 2);
    EXPECT_NE(conflict.err.find("x.wav: "), std::string::npos) << conflict.err;
    EXPECT_FALSE(fs::exists(path("x.wav")));
    // Where the name says nothing, --format decides.
    ASSERT_EQ(RunZq3({"export", path("card"), "D05", path("x.snd"), "--format", "aiff"}).exitCode,
              0);
    EXPECT_EQ(Fixture::ReadFileBytes(path("x.snd")).substr(8, 4), "AIFF");

    fs::create_directory(path("out"));
    for (const char* pads : {"D", "all"}) {
        const auto oneName = RunZq3({"export", path("card"), pads, path("out/p.wav")});
        EXPECT_EQ(oneName.exitCode, 2);
        EXPECT_NE(oneName.err.find("p.wav: "), std::string::npos) << oneName.err;
        EXPECT_FALSE(fs::exists(path("out/p.wav")));
    }
}

TEST_F(OutputFilesTest, ConvertRefusesAnExistingFileUnlessForcedAndKeepsItsMode) {
    Sox("-n -r 48000 -b 24 -c 1 " + path("take.wav") + " synth 0.5 sine 440");
    Fixture::WriteFileBytes(path("kept.wav"), "keep me");
    ::chmod(path("kept.wav").c_str(), 0600);

    const auto refused = RunZq3({"convert", path("take.wav"), path("kept.wav")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("kept.wav: the file exists already"), std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_EQ(Fixture::ReadFileBytes(path("kept.wav")), "keep me");

    for (const char* option : {"--force", "--yes"}) {
        Fixture::WriteFileBytes(path("kept.wav"), "keep me");
        const auto forced = RunZq3({"convert", path("take.wav"), path("kept.wav"), option});
        ASSERT_EQ(forced.exitCode, 0) << option << forced.err;
        const auto sound = Fixture::ReadSoundFile<std::int16_t>(path("kept.wav"));
        ASSERT_TRUE(sound) << option;
        EXPECT_EQ(sound->sampleRate, 44100);
        EXPECT_EQ(ModeOf(path("kept.wav")), 0600u) << option;
    }

    ScopedUmask mask(027);
    ASSERT_EQ(RunZq3({"convert", path("take.wav"), path("new.aif")}).exitCode, 0);
    EXPECT_EQ(ModeOf(path("new.aif")), 0640u);
    EXPECT_TRUE(workFiles().empty());
}

TEST_F(OutputFilesTest, AnInterruptedConvertLeavesNoOutputAndTheNextRunSucceeds) {
    // Long enough, and normalised in two passes, that the conversion still runs when the
    // signal arrives.
    Sox("-n -r 48000 -b 24 -c 1 " + path("long.wav") + " synth 240 sine 440");
    const std::vector<std::string> convert = {"convert", path("long.wav"), path("long-44k.wav"),
                                              "--normalize"};
    const auto working = [this] { return !workFiles().empty(); };

    // Ctrl-C cancels: the work file goes too.
    {
        Fixture::Zq3Process process(convert);
        ASSERT_EQ(process.startFailure(), "");
        ASSERT_TRUE(Fixture::WaitUntil(working));
        process.signal(SIGINT);
        const auto result = process.finish();
        EXPECT_EQ(result.exitCode, 3) << result.err;
        EXPECT_TRUE(workFiles().empty());
        EXPECT_FALSE(fs::exists(path("long-44k.wav")));
    }
    // A kill leaves its work file, under the converter's prefix, but no output at all.
    {
        Fixture::Zq3Process process(convert);
        ASSERT_EQ(process.startFailure(), "");
        ASSERT_TRUE(Fixture::WaitUntil(working));
        process.signal(SIGKILL);
        EXPECT_EQ(process.finish().exitCode, 128 + SIGKILL);
        EXPECT_FALSE(fs::exists(path("long-44k.wav")));
    }
    const auto again = RunZq3(convert);
    ASSERT_EQ(again.exitCode, 0) << again.err;
    const auto sound = Fixture::ReadSoundFile<std::int16_t>(path("long-44k.wav"));
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->frames, 240 * 44100);
}

TEST_F(OutputFilesTest, TheNextRunRemovesTheWorkFolderOfAKilledImport) {
    Sox("-n -r 48000 -b 24 -c 1 " + path("long.wav") + " synth 240 sine 440");
    Fixture::MakeEmptyCard(path("card"));
    Fixture::Zq3Process import(
        {"import", path("card"), "C0", path("long.wav"), "--convert", "--normalize", "--yes"});
    ASSERT_EQ(import.startFailure(), "");
    ASSERT_TRUE(import.waitForError("  1%")) << import.errorSoFar();
    import.signal(SIGKILL);
    EXPECT_EQ(import.finish().exitCode, 128 + SIGKILL);
    ASSERT_FALSE(fs::is_empty(import.temporaryDirectory()));

    const auto info = RunZq3({"info", path("card")}, {"TMPDIR=" + import.temporaryDirectory()});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_TRUE(fs::is_empty(import.temporaryDirectory()));
}

// Whether text holds no control character but the newlines that end its lines.
bool OnlyLineBreaks(const std::string& text) {
    return std::none_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\n') || byte == 0x7F;
    });
}

TEST_F(OutputFilesTest, FileNamesReachTheTerminalEscaped) {
    // A name that would retitle the terminal and fake a second success line.
    const std::string hostile = "\x1b]0;owned\x07\nD6 <- fake.wav";
    const std::string shown = "$'\\e]0;owned\\a\\nD6 <- fake.wav'";
    Fixture::MakeEmptyCard(path("card"));
    Fixture::WriteTestWav(path(hostile), 1, 5000);
    Fixture::WriteTestWav(path("キック.wav"), 1, 5000);

    const auto imported = RunZq3({"import", path("card"), "C0", path(hostile), path("キック.wav")});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(imported.out, "C0 ← " + shown + " (0.11 s, mono)\nC1 ← キック.wav (0.11 s, mono)\n");

    const auto exported = RunZq3({"export", path("card"), "C0", path(hostile + ".wav")});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_NE(exported.out.find("→ $'" + path("\\e]0;owned\\a\\nD6 <- fake.wav.wav'")),
              std::string::npos)
        << exported.out;
    EXPECT_TRUE(OnlyLineBreaks(exported.out)) << exported.out;

    // Refused, the name shows the same in the list of refusals.
    Fixture::WriteFileBytes(path("bad\x1b[2J\n.wav"), "not a sound file");
    const auto refused = RunZq3({"import", path("card"), "C2", path("bad\x1b[2J\n.wav")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("$'bad\\e[2J\\n.wav'"), std::string::npos) << refused.err;
    EXPECT_TRUE(OnlyLineBreaks(refused.err)) << refused.err;

    // A card's folder with a newline: info's header stays one line, JSON escapes it.
    const std::string card = path("card\x1b\nB");
    Fixture::MakeEmptyCard(card);
    const auto info = RunZq3({"info", card});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(info.out.rfind("Card $'" + path("card") + "\\e\\nB'", 0), 0u) << info.out;
    EXPECT_TRUE(OnlyLineBreaks(info.out));
    const auto json = RunZq3({"info", card, "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_NE(json.out.find("\"root\":\"" + path("card") + "\\u001b\\nB\""), std::string::npos)
        << json.out;
}

} // namespace
} // namespace ZQ3
