#include "card/card_layout.h"
#include "card/sample_information_dto.h"
#include "tests/cli/run_zq3.h"
#include "tests/support/card_command_fixture.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wav_fixture.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace ZQ3 {
namespace {

using Fixture::RunZq3;

// ALSA's own complaint about the device would only clutter the test's output.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

class PlayCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        Fixture::MakeEmptyCard(card());
        Fixture::WriteTestWav(file("mono.wav"), 1, 5000);
        Fixture::WriteTestWav(file("stereo.wav"), 2, 3000);
    }
    std::string card() const { return directory / "card"; }
    std::string file(const std::string& name) const { return directory / name; }
    std::string captureTo() const { return "ZQ3_AUDIO_OUT=wav:" + file("capture.wav"); }

    Fixture::TemporaryDirectory directory;
};

TEST_F(PlayCommandTest, PlaysAMonoPadOnTwoChannelsToTheEnd) {
    ASSERT_EQ(0, RunZq3({"import", card(), "C3", file("mono.wav")}).exitCode);
    const auto played = RunZq3({"play", card(), "C3"}, {captureTo()});
    ASSERT_EQ(0, played.exitCode) << played.err;
    const auto capture = Fixture::ReadSoundFile<std::int16_t>(file("capture.wav"));
    ASSERT_TRUE(capture);
    EXPECT_EQ(2, capture->channels);
    // Whole device buffers of 2646 frames: 5000 frames take two.
    EXPECT_EQ(2 * 2646, capture->frames);
    bool sound = false;
    for (std::size_t frame = 0; frame < 5000; ++frame) {
        ASSERT_EQ(capture->samples[2 * frame], capture->samples[2 * frame + 1]) << frame;
        sound = sound || capture->samples[2 * frame] != 0;
    }
    EXPECT_TRUE(sound);
}

// On a terminal the tool says what plays and for how long; a script's log stays clean.
TEST_F(PlayCommandTest, SaysWhatPlaysOnATerminalOnly) {
    ASSERT_EQ(0, RunZq3({"import", card(), "C3", file("mono.wav")}).exitCode);
    Fixture::Zq3Process played({"play", card(), "C3"}, {captureTo()});
    ASSERT_EQ(played.startFailure(), "");
    const auto result = played.finish();
    EXPECT_EQ(0, result.exitCode) << result.err;
    EXPECT_NE(result.err.find("Playing C3 (0.1 s), Ctrl-C stops"), std::string::npos) << result.err;
    EXPECT_TRUE(RunZq3({"play", card(), "C3"}, {captureTo()}).err.empty());
}

TEST_F(PlayCommandTest, ShowsTheTimePlayedAndTheLengthOnATerminal) {
    Fixture::WriteTestWav(file("second.wav"), 1, 44100);
    // The null output plays in real time, so the time played moves on as it would aloud.
    Fixture::Zq3Process played({"play", file("second.wav")}, {"ZQ3_AUDIO_OUT=null"});
    ASSERT_EQ(played.startFailure(), "");
    const auto result = played.finish();
    EXPECT_EQ(0, result.exitCode) << result.err;
    EXPECT_NE(result.err.find("0:00.0 / 0:01.0"), std::string::npos) << result.err;
}

TEST_F(PlayCommandTest, PlaysAStereoFileExactly) {
    const auto played = RunZq3({"play", file("stereo.wav")}, {captureTo()});
    ASSERT_EQ(0, played.exitCode) << played.err;
    const auto source = Fixture::ReadSoundFile<std::int16_t>(file("stereo.wav"));
    const auto capture = Fixture::ReadSoundFile<std::int16_t>(file("capture.wav"));
    ASSERT_TRUE(source && capture);
    EXPECT_EQ(2646 * 2, capture->frames);
    ASSERT_GE(capture->samples.size(), source->samples.size());
    EXPECT_TRUE(
        std::equal(source->samples.begin(), source->samples.end(), capture->samples.begin()));
}

TEST_F(PlayCommandTest, PlaysALofiStereoPadAsItExports) {
    // A lo-fi stereo pad of 1000 stored frames, in the short frame form the sampler writes.
    std::vector<SampleEntry> entries(CardLayout::SlotCount);
    SampleEntry& lofi = entries[CardLayout::Slot(2, 1)];
    lofi.frameCount = 1000;
    lofi.rangeEnd = 1000;
    lofi.lofi = 1;
    lofi.stereo = true;
    std::filesystem::remove(CardLayout::InformationFilePath(card()));
    ASSERT_TRUE(WriteSampleInformationFile(CardLayout::InformationFilePath(card()), entries));
    const int slot = CardLayout::Slot(2, 1);
    Fixture::WriteChannelFiles(
        {CardLayout::LeftFilePath(card(), slot), CardLayout::RightFilePath(card(), slot)},
        Fixture::TestSignal(2, 2000), 4);

    ASSERT_EQ(0, RunZq3({"export", card(), "E1", file("exported.wav")}).exitCode);
    const auto played = RunZq3({"play", card(), "E1"}, {captureTo()});
    ASSERT_EQ(0, played.exitCode) << played.err;

    const auto exported = Fixture::ReadSoundFile<std::int16_t>(file("exported.wav"));
    const auto capture = Fixture::ReadSoundFile<std::int16_t>(file("capture.wav"));
    ASSERT_TRUE(exported && capture);
    EXPECT_EQ(2000, exported->frames);
    ASSERT_GE(capture->samples.size(), exported->samples.size());
    EXPECT_TRUE(
        std::equal(exported->samples.begin(), exported->samples.end(), capture->samples.begin()));
}

TEST_F(PlayCommandTest, EmptyPadUnreadableFileAndMissingOutputFail) {
    auto empty = RunZq3({"play", card(), "C4"}, {captureTo()});
    EXPECT_EQ(1, empty.exitCode);
    EXPECT_NE(std::string::npos, empty.err.find("holds no sample")) << empty.err;

    Fixture::WriteFileBytes(file("junk.wav"), "not a wave file at all");
    auto junk = RunZq3({"play", file("junk.wav")}, {captureTo(), "LANG=C"});
    EXPECT_EQ(1, junk.exitCode);
    EXPECT_NE(std::string::npos, junk.err.find("supports wave files")) << junk.err;

    // An output of no known kind: the valid ones are listed.
    auto nowhere = RunZq3({"play", file("stereo.wav")}, {"ZQ3_AUDIO_OUT=nowhere", "LANG=C"});
    EXPECT_EQ(1, nowhere.exitCode);
    EXPECT_NE(std::string::npos, nowhere.err.find("Playback failed.")) << nowhere.err;
    for (const char* valid : {"'nowhere'", "alsa:DEVICE", "null", "wav:PATH"}) {
        EXPECT_NE(std::string::npos, nowhere.err.find(valid)) << nowhere.err;
    }

    EXPECT_EQ(2, RunZq3({"play"}).exitCode);
}

// A device ALSA cannot open is reported in ALSA's own words, naming the device.
TEST_F(PlayCommandTest, AnAlsaDeviceThatDoesNotOpenIsNamedWithAlsasReason) {
    const std::string device = "zq3-test-no-such-device";
    snd_lib_error_set_handler(&QuietAlsa);
    snd_pcm_t* pcm = nullptr;
    const int error = snd_pcm_open(&pcm, device.c_str(), SND_PCM_STREAM_PLAYBACK, 0);
    ASSERT_LT(error, 0) << "ALSA opened " << device;
    ASSERT_EQ(0, RunZq3({"import", card(), "C3", file("mono.wav")}).exitCode);
    const auto played = RunZq3({"play", card(), "C3"}, {"ZQ3_AUDIO_OUT=alsa:" + device, "LANG=C"});
    EXPECT_EQ(1, played.exitCode);
    EXPECT_NE(std::string::npos, played.err.find("'" + device + "'")) << played.err;
    EXPECT_NE(std::string::npos, played.err.find(snd_strerror(error))) << played.err;
}

// A pad whose channel file is missing is named with the file, and the check is suggested.
TEST_F(PlayCommandTest, APadWithoutItsChannelFileIsNamedWithIt) {
    ASSERT_EQ(0, RunZq3({"import", card(), "C3", file("mono.wav")}).exitCode);
    const int slot = CardLayout::Slot(0, 3);
    std::filesystem::remove(CardLayout::LeftFilePath(card(), slot));
    const auto played = RunZq3({"play", card(), "C3"}, {captureTo(), "LANG=C"});
    EXPECT_EQ(1, played.exitCode);
    EXPECT_NE(std::string::npos, played.err.find("C3: its channel file " +
                                                 CardLayout::LeftFileName(slot) + " is missing"))
        << played.err;
    EXPECT_NE(std::string::npos, played.err.find("zq3 check " + card())) << played.err;
}

} // namespace
} // namespace ZQ3
