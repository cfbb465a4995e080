// Tidying sounds on the way in: trim, fades, a region and padding with `zq3 convert` and
// `zq3 import`, and one file chopped onto consecutive pads. sox and the test's own writer make
// the sources; libsndfile reads the results.

#include "card/card_layout.h"
#include "card/sample_information_dto.h"
#include "tests/cli/run_zq3.h"
#include "tests/support/required_program.h"
#include "tests/support/sound_file.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wav_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>

namespace ZQ3 {
namespace {

using Fixture::RunZq3;
namespace fs = std::filesystem;

constexpr double kRate = 44100.0;

std::int64_t WholeBlocks(std::int64_t frames) {
    return (frames + 15) / 16 * 16;
}

class SoundTidyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ZQ3_REQUIRE_PROGRAM("sox", "sox");
        Fixture::MakeEmptyCard(card());
    }

    std::string card() const { return directory / "card"; }
    std::string path(const std::string& name) const { return directory / name; }
    void Sox(const std::string& arguments) const {
        ASSERT_EQ(std::system(("sox -V1 " + arguments + " 2>&1").c_str()), 0) << arguments;
    }
    std::vector<SampleEntry> entries() const {
        return ReadSampleInformationFile(CardLayout::InformationFilePath(card())).value();
    }
    std::map<std::string, std::string> cardFiles() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(CardLayout::CardDirectory(card()))) {
            files[entry.path().filename()] = Fixture::ReadFileBytes(entry.path());
        }
        return files;
    }
    std::vector<std::int16_t> samples(const std::string& name) const {
        int channels = 0;
        return Fixture::ReadSamples16(path(name), channels);
    }

    Fixture::TemporaryDirectory directory;
};

TEST_F(SoundTidyTest, TrimKeepsTheTonesLengthAtTheCardsRateAndAtAnother) {
    Sox("-n -r 44100 -b 16 -c 1 " + path("tone.wav") + " synth 1 sine 440 pad 0.5 0.5");
    Sox("-n -r 48000 -b 24 -c 2 " + path("tone.flac") + " synth 1 sine 440 pad 0.5 0.5");
    for (const std::string source : {"tone.wav", "tone.flac"}) {
        SCOPED_TRACE(source);
        const auto result = RunZq3({"convert", path(source), path(source + ".wav"), "--trim"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        const auto sound = Fixture::ReadSoundFile<std::int16_t>(path(source + ".wav"));
        ASSERT_TRUE(sound);
        EXPECT_NEAR(double(sound->frames) / kRate, 1.0, 0.005);
    }
}

TEST_F(SoundTidyTest, FadesStartAndEndInSilenceAndFollowTheirShape) {
    constexpr std::int32_t kLevel = 16000;
    Fixture::WriteWav(path("flat.wav"), 44100, 1, 16, 44100,
                      [](std::uint32_t, int) { return kLevel; });
    const std::int64_t fade = 4410;
    for (const std::string shape : {"linear", "power"}) {
        SCOPED_TRACE(shape);
        const std::string out = "flat-" + shape + ".wav";
        const auto result = RunZq3({"convert", path("flat.wav"), path(out), "--fade-in", "100",
                                    "--fade-out", "100", "--fade-shape", shape});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        const std::vector<std::int16_t> faded = samples(out);
        ASSERT_EQ(faded.size(), 44100u);
        EXPECT_EQ(faded.front(), 0);
        EXPECT_EQ(faded.back(), 0);
        EXPECT_EQ(faded[fade], kLevel);
        EXPECT_EQ(faded[faded.size() / 2], kLevel);
        const double half = shape == "linear" ? 0.5 : std::sin(M_PI / 4);
        // Dither moves a sample by at most one step.
        EXPECT_NEAR(faded[fade / 2], kLevel * half, 1.5);
        EXPECT_NEAR(faded[faded.size() - 1 - fade / 2], kLevel * half, 1.5);
    }
    const auto region = RunZq3(
        {"convert", path("flat.wav"), path("region.wav"), "--start", "250ms", "--end", "0:00.75"});
    ASSERT_EQ(region.exitCode, 0) << region.err;
    EXPECT_EQ(samples("region.wav").size(), 22050u);
    EXPECT_EQ(RunZq3({"convert", path("flat.wav"), path("x.wav"), "--start", "1.5.2"}).exitCode, 2);
}

TEST_F(SoundTidyTest, AClickTooShortIsRefusedWithTheSuggestionAndPaddedWhenAsked) {
    Sox("-n -r 44100 -b 16 -c 1 " + path("click.wav") + " synth 0.03 sine 1000");
    const auto before = cardFiles();
    const auto refused = RunZq3({"--lang", "en", "import", card(), "C0", path("click.wav")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("--pad"), std::string::npos) << refused.err;
    EXPECT_EQ(cardFiles(), before);

    const auto padded = RunZq3({"import", card(), "C0", path("click.wav"), "--pad"});
    ASSERT_EQ(padded.exitCode, 0) << padded.err;
    const auto shortest = static_cast<std::int64_t>(std::ceil(0.07 * kRate - 1e-9));
    EXPECT_EQ(entries()[0].frameCount, WholeBlocks(shortest));
}

TEST_F(SoundTidyTest, EightEqualSlicesOfALoopLandOnC0ToC7InOneChange) {
    Sox("-n -r 44100 -b 16 -c 2 " + path("loop.wav") + " synth 4 whitenoise vol 0.5");
    const auto result = RunZq3({"import", card(), "C0", path("loop.wav"), "--slices", "8"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::vector<SampleEntry> card = entries();
    for (int slot = 0; slot < 8; ++slot) {
        SCOPED_TRACE(slot);
        EXPECT_TRUE(card[std::size_t(slot)].stereo);
        EXPECT_NEAR(double(card[std::size_t(slot)].frameCount), 0.5 * kRate, 16.0);
    }
    EXPECT_EQ(card[8].frameCount, 0);
}

TEST_F(SoundTidyTest, FourHitsGiveFourOnsetsAtTheirTimes) {
    const std::vector<double> times = {0.1, 0.55, 0.9, 1.62};
    Fixture::WriteWav(path("hits.wav"), 48000, 2, 24, 96000, [&](std::uint32_t frame, int) {
        double value = 0;
        for (const double time : times) {
            const double t = frame / 48000.0 - time;
            if (t >= 0 && t < 0.2) {
                value += 0.8 * std::exp(-t / 0.03) * std::sin(2 * M_PI * 180 * t);
            }
        }
        return std::int32_t(std::lround(value * 8388607));
    });
    const auto result = RunZq3({"slices", path("hits.wav"), "--slices", "onsets", "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::vector<double> starts;
    const std::regex start("\"startFrame\":([0-9]+)");
    for (std::sregex_iterator it(result.out.begin(), result.out.end(), start), end; it != end;
         ++it) {
        starts.push_back(std::stod((*it)[1]) / kRate);
    }
    ASSERT_EQ(starts.size(), times.size()) << result.out;
    for (std::size_t i = 0; i < times.size(); ++i) {
        EXPECT_NEAR(starts[i], times[i], 0.010);
    }
}

TEST_F(SoundTidyTest, SlicesThatDoNotFitThePadsLeftAreRefusedAndWriteNothing) {
    Sox("-n -r 44100 -b 16 -c 1 " + path("loop.wav") + " synth 2 sine 100");
    const auto before = cardFiles();
    const auto result =
        RunZq3({"--lang", "en", "import", card(), "J10", path("loop.wav"), "--slices", "8"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("6 pads from J10"), std::string::npos) << result.err;
    EXPECT_EQ(cardFiles(), before);
}

} // namespace
} // namespace ZQ3
