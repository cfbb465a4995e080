// Converting files the card does not take: `zq3 convert` and `zq3 import --convert`. sox makes
// the sources and libsndfile reads the results, both independent of the converter's own code.

#include "app/message_catalogue.h"
#include "card/card_layout.h"
#include "card/sample_information_dto.h"
#include "tests/cli/run_zq3.h"
#include "tests/support/required_program.h"
#include "tests/support/sound_file.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <numbers>

namespace ZQ3 {
namespace {

using Fixture::RunZq3;
namespace fs = std::filesystem;

std::int64_t WholeBlocks(std::int64_t frames) {
    return (frames + 15) / 16 * 16;
}

// The least-squares fit of a sine of the given frequency (and an offset) to samples at 44100 Hz:
// the fitted amplitude and the power of what the fit leaves, per sample.
struct SineFit {
    double amplitude = 0;
    double residualPower = 0;
};

SineFit FitSine(const std::vector<double>& samples, double frequency, double sampleRate = 44100) {
    // The normal equations of x ≈ a sin + b cos + c, solved by Cramer's rule.
    double m[3][3] = {};
    double v[3] = {};
    const double step = 2 * std::numbers::pi * frequency / sampleRate;
    for (std::size_t n = 0; n < samples.size(); ++n) {
        const double basis[3] = {std::sin(step * double(n)), std::cos(step * double(n)), 1.0};
        for (int i = 0; i < 3; ++i) {
            v[i] += basis[i] * samples[n];
            for (int j = 0; j < 3; ++j) {
                m[i][j] += basis[i] * basis[j];
            }
        }
    }
    const auto det = [](const double a[3][3]) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
               a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    double solution[3];
    for (int column = 0; column < 3; ++column) {
        double replaced[3][3];
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                replaced[i][j] = j == column ? v[i] : m[i][j];
            }
        }
        solution[column] = det(replaced) / det(m);
    }
    SineFit fit;
    fit.amplitude = std::hypot(solution[0], solution[1]);
    for (std::size_t n = 0; n < samples.size(); ++n) {
        const double model = solution[0] * std::sin(step * double(n)) +
                             solution[1] * std::cos(step * double(n)) + solution[2];
        fit.residualPower += (samples[n] - model) * (samples[n] - model);
    }
    fit.residualPower /= double(samples.size());
    return fit;
}

class ConversionTest : public ::testing::Test {
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
    // The channel files of slot, as bytes.
    std::string slotBytes(int slot) const {
        std::string bytes;
        for (const auto& name : {CardLayout::LeftFileName(slot), CardLayout::RightFileName(slot)}) {
            const fs::path file = fs::path(CardLayout::CardDirectory(card())) / name;
            if (fs::exists(file)) {
                bytes += Fixture::ReadFileBytes(file);
            }
        }
        return bytes;
    }
    // Every file of the card's directory with its bytes.
    std::map<std::string, std::string> cardFiles() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(CardLayout::CardDirectory(card()))) {
            files[entry.path().filename()] = Fixture::ReadFileBytes(entry.path());
        }
        return files;
    }
    // The samples of a converted mono file, its first and last 50 ms left out: the
    // resampler's filter starts and ends there.
    std::vector<double> steadySamples(const std::string& file, int sampleRate = 44100,
                                      int bitsPerSample = 16) const {
        const auto sound = Fixture::ReadSoundFile<double>(file);
        EXPECT_TRUE(sound);
        if (!sound) {
            return {};
        }
        EXPECT_EQ(sound->sampleRate, sampleRate);
        EXPECT_EQ(sound->bitsPerSample, bitsPerSample);
        EXPECT_EQ(sound->channels, 1);
        const std::ptrdiff_t margin = sampleRate / 20;
        if (sound->samples.size() <= static_cast<std::size_t>(2 * margin)) {
            return {};
        }
        return {sound->samples.begin() + margin, sound->samples.end() - margin};
    }

    Fixture::TemporaryDirectory directory;
};

TEST_F(ConversionTest, ASineAt48kHz24BitConvertsCleanly) {
    Sox("-n -r 48000 -b 24 -c 1 " + path("sine.wav") + " synth 2 sine 1000 vol -1dB");
    const auto result = RunZq3({"convert", path("sine.wav"), path("sine-44k.wav")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::vector<double> samples = steadySamples(path("sine-44k.wav"));
    ASSERT_FALSE(samples.empty());
    const SineFit fit = FitSine(samples, 1000.0);
    EXPECT_NEAR(20 * std::log10(fit.amplitude), -1.0, 0.05);
    const double sinad = 10 * std::log10(fit.amplitude * fit.amplitude / 2 / fit.residualPower);
    EXPECT_GE(sinad, 90.0);
}

TEST_F(ConversionTest, ThePassbandIsFlatWithinATenthOfADecibelTo20kHz) {
    for (const int frequency : {100, 1000, 5000, 10000, 15000, 18000, 20000}) {
        SCOPED_TRACE(frequency);
        const std::string source = path("tone" + std::to_string(frequency) + ".wav");
        const std::string converted = path("tone" + std::to_string(frequency) + "-44k.wav");
        Sox("-n -r 48000 -b 24 -c 1 " + source + " synth 0.5 sine " + std::to_string(frequency) +
            " vol -6dB");
        ASSERT_EQ(RunZq3({"convert", source, converted}).exitCode, 0);
        // Against the level of the source itself, so that only the conversion is measured.
        const std::vector<double> in = steadySamples(source, 48000, 24);
        const std::vector<double> out = steadySamples(converted);
        ASSERT_FALSE(in.empty());
        ASSERT_FALSE(out.empty());
        const double gainDb = 20 * std::log10(FitSine(out, frequency).amplitude /
                                              FitSine(in, frequency, 48000).amplitude);
        EXPECT_NEAR(gainDb, 0.0, 0.1);
    }
}

TEST_F(ConversionTest, ATone23kHzAbove44kHzNyquistDoesNotAlias) {
    Sox("-n -r 48000 -b 24 -c 1 " + path("high.wav") + " synth 2 sine 23000 vol -1dB");
    const auto result = RunZq3({"convert", path("high.wav"), path("high-44k.aif")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::vector<double> samples = steadySamples(path("high-44k.aif"));
    ASSERT_FALSE(samples.empty());
    // 23 kHz folds back to 44100 - 23000 Hz.
    const SineFit alias = FitSine(samples, 21100.0);
    EXPECT_LE(20 * std::log10(alias.amplitude + 1e-12), -1.0 - 90.0);
}

TEST_F(ConversionTest, ConvertRefusesWhatItCannotDoAndWritesNothing) {
    Sox("-n -r 48000 -b 24 -c 2 " + path("take.flac") + " synth 3 sine 440");
    // Cut short: the decoder runs out before the length the header announces.
    const std::string whole = Fixture::ReadFileBytes(path("take.flac"));
    fs::resize_file(path("take.flac"), whole.size() / 2);
    const auto cut = RunZq3({"convert", path("take.flac"), path("take.wav")});
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_NE(cut.err.find("take.flac: the file is cut short or damaged"), std::string::npos)
        << cut.err;
    EXPECT_FALSE(fs::exists(path("take.wav")));

    Sox("-n -r 44100 -b 16 -c 1 " + path("a.wav") + " synth 1 sine 440");
    const auto badName = RunZq3({"convert", path("a.wav"), path("a.mp3")});
    EXPECT_EQ(badName.exitCode, 1);
    EXPECT_FALSE(fs::exists(path("a.mp3")));
    Fixture::WriteFileBytes(path("kept.wav"), "keep me");
    const auto existing = RunZq3({"convert", path("a.wav"), path("kept.wav")});
    EXPECT_EQ(existing.exitCode, 1);
    EXPECT_EQ(Fixture::ReadFileBytes(path("kept.wav")), "keep me");
    EXPECT_EQ(RunZq3({"convert", path("a.wav"), path("b.wav"), "--normalize=3"}).exitCode, 2);
}

// A name that leads to no readable file is refused with the reason an import gives for it, the
// system's own words included.
TEST_F(ConversionTest, ConvertGivesTheImportsReasonForWhatIsNoReadableFile) {
    const auto lastLine = [](std::string text) {
        while (!text.empty() && text.back() == '\n') {
            text.pop_back();
        }
        return text.substr(text.rfind('\n') + 1);
    };
    const std::string tooLong = path(std::string(NAME_MAX + 1, 'x') + ".flac");
    for (const std::string& input : {path("missing.flac"), std::string("/dev/null"), tooLong}) {
        const auto import = RunZq3({"import", card(), "C0", input});
        const auto convert = RunZq3({"convert", input, path("out.wav")});
        EXPECT_EQ(convert.exitCode, 1);
        EXPECT_EQ(lastLine(convert.err), "zq3: convert: " + lastLine(import.err)) << convert.err;
    }
    const auto convert = RunZq3({"convert", tooLong, path("out.wav")});
    EXPECT_NE(convert.err.find(std::strerror(ENAMETOOLONG)), std::string::npos) << convert.err;
    EXPECT_FALSE(fs::exists(path("out.wav")));
}

TEST_F(ConversionTest, MonoAndNormalize) {
    // Channels that cancel mix to silence; identical ones to either channel.
    Sox("-D -n -r 48000 -b 24 -c 2 " + path("cancel.wav") +
        " synth 1 sine 440 sine 440 vol 0.5 remix 1 2v-1");
    ASSERT_EQ(RunZq3({"convert", path("cancel.wav"), path("cancel-mono.wav"), "--mono"}).exitCode,
              0);
    int channels = 0;
    const auto cancelled = Fixture::ReadSamples16(path("cancel-mono.wav"), channels);
    EXPECT_EQ(channels, 1);
    ASSERT_FALSE(cancelled.empty());
    EXPECT_TRUE(std::all_of(cancelled.begin(), cancelled.end(), [](auto v) { return v == 0; }));

    Sox("-D -n -r 44100 -b 16 -c 1 " + path("one.wav") + " synth 1 sine 440 vol 0.5");
    Sox(path("one.wav") + " " + path("both.wav") + " remix 1 1");
    ASSERT_EQ(RunZq3({"convert", path("both.wav"), path("both-mono.wav"), "--mono"}).exitCode, 0);
    const auto original = Fixture::ReadSamples16(path("one.wav"), channels);
    EXPECT_EQ(Fixture::ReadSamples16(path("both-mono.wav"), channels), original);

    // The peak lands on the target; silence stays silent.
    ASSERT_EQ(RunZq3({"convert", path("one.wav"), path("loud.wav"), "--normalize"}).exitCode, 0);
    const auto loud = Fixture::ReadSoundFile<double>(path("loud.wav"));
    ASSERT_TRUE(loud);
    double peak = 0;
    for (double v : loud->samples) {
        peak = std::max(peak, std::fabs(v));
    }
    EXPECT_NEAR(20 * std::log10(peak), -0.3, 0.05);
    Sox("-n -r 48000 -b 24 -c 1 " + path("silence.wav") + " trim 0 0.5");
    ASSERT_EQ(RunZq3({"convert", path("silence.wav"), path("silence-44k.wav"), "--normalize=-1"})
                  .exitCode,
              0);
    const auto silence = Fixture::ReadSamples16(path("silence-44k.wav"), channels);
    ASSERT_FALSE(silence.empty());
    EXPECT_TRUE(std::all_of(silence.begin(), silence.end(), [](auto v) { return v == 0; }));
}

TEST_F(ConversionTest, ImportConvertsWhatTheCardRefusesInOneChange) {
    Sox("-n -r 48000 -b 24 -c 2 " + path("a-24bit.wav") + " synth 1 sine 440 sine 660");
    Sox("-n -r 44100 -e floating-point -b 32 -c 1 " + path("b-float.wav") +
        " synth 0.5 sine 440 vol 0.5");
    Sox("-n -r 48000 -b 24 -c 2 " + path("c.flac") + " synth 2 sine 440 sine 660");

    // Refused as today, with the advice added to the reason.
    MessageCatalogue::Instance().fill(LanguageEnglish);
    const auto refused = RunZq3({"--lang", "en", "import", card(), "D0", path("a-24bit.wav")});
    EXPECT_EQ(refused.exitCode, 1);
    const std::string firstLine =
        "zq3: import: " + MessageCatalogue::Instance().text(MessageWaveFileRefused) + "\n";
    EXPECT_EQ(refused.err.substr(0, firstLine.size()), firstLine) << refused.err;
    EXPECT_NE(refused.err.find("(add --convert to convert it)"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(fs::path(CardLayout::CardDirectory(card())) /
                            CardLayout::LeftFileName(CardLayout::Slot(1, 0))));

    const auto imported = RunZq3({"import", card(), "D0", path("a-24bit.wav"), path("b-float.wav"),
                                  path("c.flac"), "--convert"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    const auto records = entries();
    const SampleEntry& a = records[std::size_t(CardLayout::Slot(1, 0))];
    const SampleEntry& b = records[std::size_t(CardLayout::Slot(1, 1))];
    const SampleEntry& c = records[std::size_t(CardLayout::Slot(1, 2))];
    EXPECT_TRUE(a.stereo);
    EXPECT_EQ(a.frameCount, WholeBlocks(44100));
    EXPECT_FALSE(b.stereo);
    EXPECT_EQ(b.frameCount, WholeBlocks(22050));
    EXPECT_TRUE(c.stereo);
    EXPECT_EQ(c.frameCount, WholeBlocks(88200));

    // Onto pads that hold samples, the plan a drop on the desktop program follows: left
    // unconverted, the file is refused whatever the answer, so nobody is asked to replace; to be
    // converted, it asks, and without a terminal to answer on, changes nothing.
    const auto unconverted = RunZq3({"--lang", "en", "import", card(), "D0", path("c.flac")});
    EXPECT_EQ(unconverted.exitCode, 1);
    EXPECT_NE(unconverted.err.find("(add --convert to convert it)"), std::string::npos);
    EXPECT_EQ(unconverted.err.find("Replace"), std::string::npos) << unconverted.err;
    const auto unanswered =
        RunZq3({"--lang", "en", "import", card(), "D0", path("c.flac"), "--convert"});
    EXPECT_EQ(unanswered.exitCode, 3);
    EXPECT_NE(unanswered.err.find("D0 already holds a sample. Replace it?"), std::string::npos);
    EXPECT_EQ(entries()[std::size_t(CardLayout::Slot(1, 0))], a);

    Sox("-n -r 48000 -b 24 -c 2 " + path("d.flac") + " synth 1 sine 440");
    ASSERT_EQ(RunZq3({"import", card(), "D3", path("d.flac"), "--convert", "--mono"}).exitCode, 0);
    EXPECT_FALSE(entries()[std::size_t(CardLayout::Slot(1, 3))].stereo);
}

TEST_F(ConversionTest, WithConvertAFolderStandsForEverySoundFileTheConverterReads) {
    fs::create_directory(path("kit"));
    Sox("-n -r 48000 -b 24 -c 2 " + path("kit/1-take.flac") + " synth 1 sine 440");
    Sox("-n -r 48000 -b 24 -c 1 " + path("kit/2-snare.wav") + " synth 0.5 sine 440");
    Fixture::WriteFileBytes(path("kit/notes.txt"), "tuned down a tone");

    const auto imported = RunZq3({"import", card(), "H0", path("kit"), "--convert"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(imported.out.rfind("H0 ← 1-take.flac", 0), 0u) << imported.out;
    EXPECT_NE(imported.out.find("\nH1 ← 2-snare.wav"), std::string::npos) << imported.out;
    EXPECT_TRUE(entries()[std::size_t(CardLayout::Slot(5, 2))].isEmpty());
}

// MP3, Ogg Vorbis and Opus: libsndfile decodes them, and the sound lands like any other. The
// oracle is the import of the same file converted first with `zq3 convert`: a 16-bit 44.1 kHz
// WAV the card takes as it is, whose record and channel files the import must match.
TEST_F(ConversionTest, CompressedFilesImportWithTheirLengthAndARecordLikeAnyOther) {
    struct CSource {
        std::string name;
        int sampleRate;
        int channels;
        bool needed; // a kind this system's libsndfile is expected to write
    };
    const std::vector<CSource> sources = {
        {"tone.mp3", 44100, 2, true}, {"tone.ogg", 44100, 2, true}, {"tone.opus", 48000, 1, false}};
    // sox writes Ogg Vorbis itself; Debian's sox has no MP3 encoder, so libsndfile writes MP3.
    Sox("-n -r 44100 -c 2 " + path("tone.ogg") + " synth 1 sine 440 vol 0.5");
    ASSERT_TRUE(Fixture::WriteCompressedTone(path("tone.mp3"), Fixture::CompressedKind::Mp3, 44100,
                                             2, 44100));
    const bool opus = Fixture::WriteCompressedTone(
        path("tone.opus"), Fixture::CompressedKind::OggOpus, 48000, 1, 48000);

    int pad = 0;
    for (const CSource& source : sources) {
        SCOPED_TRACE(source.name);
        if (!source.needed && !opus) {
            continue;
        }
        const auto decoded = Fixture::ReadSoundFile<double>(path(source.name));
        ASSERT_TRUE(decoded);
        ASSERT_EQ(decoded->sampleRate, source.sampleRate);
        ASSERT_EQ(decoded->channels, source.channels);

        const std::string converted = path(source.name + ".wav");
        ASSERT_EQ(RunZq3({"convert", path(source.name), converted}).exitCode, 0);
        const auto sound = Fixture::ReadSoundFile<std::int16_t>(converted);
        ASSERT_TRUE(sound);
        // The decoded length at 44.1 kHz, to the frame where the ratio leaves a fraction.
        const double exact = double(decoded->frames) * 44100.0 / source.sampleRate;
        EXPECT_GE(double(sound->frames), std::floor(exact));
        EXPECT_LE(double(sound->frames), std::ceil(exact));

        const int imported = CardLayout::Slot(2, pad);
        const int plain = CardLayout::Slot(3, pad);
        const auto result =
            RunZq3({"import", card(), "E" + std::to_string(pad), path(source.name), "--convert"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        ASSERT_EQ(RunZq3({"import", card(), "F" + std::to_string(pad), converted}).exitCode, 0);
        const SampleEntry entry = entries()[std::size_t(imported)];
        EXPECT_EQ(entry.frameCount, WholeBlocks(sound->frames));
        EXPECT_EQ(entry.stereo, source.channels == 2);
        EXPECT_EQ(entry, entries()[std::size_t(plain)]);
        EXPECT_EQ(slotBytes(imported), slotBytes(plain));
        ++pad;
    }
}

TEST_F(ConversionTest, InterruptDuringAnImportsConversionLeavesTheCardAsItWas) {
    Sox("-n -r 44100 -b 16 -c 2 " + path("kept.wav") + " synth 0.5 sine 440");
    ASSERT_EQ(RunZq3({"import", card(), "C1", path("kept.wav")}).exitCode, 0);
    const auto before = cardFiles();
    // Long enough, and normalised in two passes, that the conversion is still running when the
    // interrupt arrives.
    Sox("-n -r 48000 -b 24 -c 1 " + path("long.wav") + " synth 240 sine 440");

    // A batch of two, so that the encoding, which comes after every file is converted, would
    // show itself as "1/2 long.wav: encoding": the interrupt must end the import while it still
    // converts.
    Fixture::Zq3Process import({"import", card(), "C0", path("long.wav"), path("kept.wav"),
                                "--convert", "--normalize", "--yes"});
    ASSERT_EQ(import.startFailure(), "");
    MessageCatalogue::Instance().fill(LanguageEnglish);
    // The conversion of long.wav is the import's first step.
    ASSERT_TRUE(import.waitForError(ConvertingFileText("long.wav"))) << import.errorSoFar();
    ASSERT_TRUE(import.waitForError("  1%")) << import.errorSoFar();
    import.signal(SIGINT);
    const auto result = import.finish();
    EXPECT_EQ(result.exitCode, 3) << result.err;
    EXPECT_EQ(result.err.find("1/2 long.wav: encoding"), std::string::npos) << result.err;
    EXPECT_EQ(cardFiles(), before);
    EXPECT_TRUE(fs::is_empty(import.temporaryDirectory()));
}

TEST_F(ConversionTest, AFileTheCardTakesImportsTheSameWithOrWithoutConvert) {
    Sox("-n -r 44100 -b 16 -c 2 " + path("take.aif") + " synth 0.5 sine 440 sine 660 vol 0.7");
    ASSERT_EQ(RunZq3({"import", card(), "C0", path("take.aif")}).exitCode, 0);
    ASSERT_EQ(RunZq3({"import", card(), "C1", path("take.aif"), "--convert"}).exitCode, 0);
    const std::string plain = slotBytes(CardLayout::Slot(0, 0));
    EXPECT_FALSE(plain.empty());
    EXPECT_EQ(slotBytes(CardLayout::Slot(0, 1)), plain);
    EXPECT_EQ(entries()[0].frameCount, entries()[1].frameCount);
}

} // namespace
} // namespace ZQ3
