#include "app/card_sample_files.h"
#include "app/message_catalogue.h"
#include "app/player.h"
#include "app/sample_iterator_lofi_decorator.h"
#include "sl/audio/mme_audio_device_base.h"
#include "sl/audio/mme_audio_device_facade.h"
#include "sl/log/logger.h"
#include "tests/support/process_threads.h"
#include "tests/support/sound_file.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wait_until.h"
#include "tests/support/wav_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <mutex>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr double DeviceBufferTime = 0.02;
constexpr std::size_t BufferFrames = 882;

class CCollectingPrinter : public SL::CGeneralStringBuffer::IPrinter {
public:
    void Print(const std::string& text) override {
        std::lock_guard lock(mutex_);
        texts_ += text;
    }
    std::string Texts() {
        std::lock_guard lock(mutex_);
        return texts_;
    }

private:
    std::mutex mutex_;
    std::string texts_;
};

class CStartObserver : public GT::IMvcObserver {
public:
    void update(const std::any& source, const std::any& event, const std::any& argument) override {
        ++updates;
        fromPlayer = std::any_cast<ZQ3::CPlayer*>(&source) != nullptr;
        emptyRest = !event.has_value() && !argument.has_value();
    }
    int updates = 0;
    bool fromPlayer = false;
    bool emptyRest = false;
};

std::vector<std::int16_t> Drain(SL::ITypedInputSampleIterator<SL::CSampleTag::Integer16>& source) {
    std::vector<std::int16_t> values;
    while (source.IsValid()) {
        values.push_back(source.GetValue());
        source.Advance();
    }
    return values;
}

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        capture_ = directory_ / "capture.wav";
        setenv("ZQ3_AUDIO_OUT", ("wav:" + capture_).c_str(), 1);
        ZQ3::MessageCatalogue::Instance().fill(ZQ3::LanguageEnglish);
        SL::CLogger::Instance().SetPrinter(printer_);
        player_ = std::make_unique<ZQ3::CPlayer>(
            std::make_shared<SL::CMmeAudioDeviceFacade>(SL::CMmeAudioDeviceBase::EventCallback));
        // Longer than every test sample, so that a filler slowed by a busy machine cannot let
        // the ring run dry and end a playback early.
        player_->ringBufferTime = 1.0;
        player_->deviceBufferTime = DeviceBufferTime;
        ASSERT_NE(nullptr, player_->getAudioOutDevice());
        dynamic_cast<SL::CAudioDeviceBase&>(*player_->getAudioOutDevice())
            .setDeviceBufferTime(DeviceBufferTime);
    }
    void TearDown() override {
        player_.reset();
        SL::CLogger::Instance().ResetPrinter();
        unsetenv("ZQ3_AUDIO_OUT");
    }

    // A mono or stereo pad of a swept tone, encoded as the import does; returns its paths.
    std::vector<std::string> MakePad(int channels, std::uint32_t frames) {
        std::vector<std::string> paths{directory_ / "SMP0000L.ZQD"};
        if (channels == 2) {
            paths.push_back(directory_ / "SMP0000R.ZQD");
        }
        auto out = ZQ3::OpenCardSampleOutputIterator(paths);
        EXPECT_NE(nullptr, out);
        for (std::uint32_t frame = 0; frame < frames; ++frame) {
            for (int channel = 0; channel < channels; ++channel) {
                out->SetValue(static_cast<std::int16_t>(
                    12000 * std::sin(0.01 * frame * (channel + 1) + 0.00001 * frame * frame)));
                out->Advance();
            }
        }
        EXPECT_TRUE(out->Finish());
        return paths;
    }

    bool WaitUntilIdle() {
        return ZQ3::Fixture::WaitUntil([&] { return !player_->getAudioOutDevice()->isPlaying(); });
    }

    ZQ3::Fixture::TemporaryDirectory directory_;
    std::string capture_;
    std::shared_ptr<CCollectingPrinter> printer_ = std::make_shared<CCollectingPrinter>();
    std::unique_ptr<ZQ3::CPlayer> player_;
};

TEST_F(PlayerTest, MonoPadPlaysItsDecodedSampleOnBothChannels) {
    const std::uint32_t frames = 10000;
    const auto paths = MakePad(1, frames);
    auto observer = std::make_shared<CStartObserver>();
    player_->addObserver(observer);
    player_->addObserver(observer);
    player_->playCardSample(paths, false, frames);
    EXPECT_TRUE(player_->getAudioOutDevice()->isPlaying());
    EXPECT_EQ(1, observer->updates);
    EXPECT_TRUE(observer->fromPlayer);
    EXPECT_TRUE(observer->emptyRest);
    ASSERT_TRUE(WaitUntilIdle());

    auto card = ZQ3::OpenCardSampleInputIterator(paths, false, frames);
    ASSERT_NE(nullptr, card);
    const auto decoded = Drain(*card);
    ASSERT_EQ(frames, decoded.size());
    int channels = 0;
    const auto captured = ZQ3::Fixture::ReadSamples16(capture_, channels);
    ASSERT_EQ(2, channels);
    // Whole device buffers: the last one padded with silence.
    const std::size_t buffers = (frames + BufferFrames - 1) / BufferFrames;
    ASSERT_EQ(2 * buffers * BufferFrames, captured.size());
    for (std::size_t frame = 0; frame < frames; ++frame) {
        ASSERT_EQ(decoded[frame], captured[2 * frame]) << frame;
        ASSERT_EQ(decoded[frame], captured[2 * frame + 1]) << frame;
    }
    for (std::size_t i = 2 * frames; i < captured.size(); ++i) {
        ASSERT_EQ(0, captured[i]) << i;
    }
    EXPECT_EQ("", printer_->Texts());
}

TEST_F(PlayerTest, LofiPadPlaysThroughTheLofiDecoratorAtTheDoubledLength) {
    const std::uint32_t stored = 3000;
    const auto paths = MakePad(1, stored);
    player_->playCardSample(paths, true, 2 * stored);
    ASSERT_TRUE(WaitUntilIdle());
    auto card = ZQ3::OpenCardSampleInputIterator(paths, true, 2 * stored);
    ASSERT_NE(nullptr, card);
    ZQ3::CSampleIteratorLofiDecorator held(card);
    const auto expected = Drain(held);
    int channels = 0;
    const auto captured = ZQ3::Fixture::ReadSamples16(capture_, channels);
    ASSERT_GE(captured.size(), 2 * expected.size());
    for (std::size_t frame = 0; frame < expected.size(); ++frame) {
        ASSERT_EQ(expected[frame], captured[2 * frame]) << frame;
    }
}

TEST_F(PlayerTest, StereoFileIsCapturedExactly) {
    const std::string file = directory_ / "stereo.wav";
    // Long enough that the device is certainly still playing when the test looks.
    const std::uint32_t frames = 20000;
    auto value = [](std::uint32_t frame, int channel) {
        const std::uint32_t step = frame * 7 + 1;
        // The second channel takes the step negated round the unsigned range.
        return static_cast<std::int32_t>((channel == 0 ? step : 0u - step) % 30000);
    };
    ZQ3::Fixture::WriteWav(file, 44100, 2, 16, frames, value);
    auto observer = std::make_shared<CStartObserver>();
    player_->addObserver(observer);
    player_->playFile(file);
    ASSERT_TRUE(player_->getAudioOutDevice()->isPlaying());
    ASSERT_TRUE(WaitUntilIdle());
    int channels = 0;
    const auto captured = ZQ3::Fixture::ReadSamples16(capture_, channels);
    ASSERT_EQ(2, channels);
    ASSERT_GE(captured.size(), 2u * frames);
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        ASSERT_EQ(value(frame, 0), captured[2 * frame]) << frame;
        ASSERT_EQ(value(frame, 1), captured[2 * frame + 1]) << frame;
    }
    EXPECT_EQ(0, observer->updates);
}

TEST_F(PlayerTest, SecondPlayWhilePlayingIsIgnoredAndTheNextAfterTheEndPlays) {
    const auto paths = MakePad(1, 20000);
    const std::string file = directory_ / "other.wav";
    // Longer than the pad, and long enough that it is still playing when the test looks.
    ZQ3::Fixture::WriteTestWav(file, 2, 30000);
    player_->playCardSample(paths, false, 20000);
    player_->playFile(file);
    player_->playCardSample(paths, false, 20000);
    EXPECT_EQ("", printer_->Texts());
    const auto start = Clock::now();
    ASSERT_TRUE(WaitUntilIdle());
    // Only the first sample was heard: 20000 frames rounded up to whole buffers.
    int channels = 0;
    EXPECT_EQ(2 * 23 * BufferFrames, ZQ3::Fixture::ReadSamples16(capture_, channels).size());
    // Loose, for a machine busy with other work: it only has to catch a device that notices
    // the end of the sound seconds late.
    EXPECT_LT(Clock::now() - start, 5s);
    player_->playFile(file);
    EXPECT_TRUE(player_->getAudioOutDevice()->isPlaying());
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(2 * 35 * BufferFrames, ZQ3::Fixture::ReadSamples16(capture_, channels).size());
}

TEST_F(PlayerTest, StopDuringPlaybackIsPromptAndLeavesNoThreadBehind) {
    const auto idle = ZQ3::Fixture::ThreadIds();
    const auto paths = MakePad(2, 44100 * 10);
    player_->playCardSample(paths, false, 44100 * 10);
    ASSERT_TRUE(player_->getAudioOutDevice()->isPlaying());
    // Stopped in the middle: some of the sound has been heard, and seconds of it are left.
    ASSERT_TRUE(
        ZQ3::Fixture::WaitUntil([&] { return player_->getAudioOutDevice()->getPosition() > 0; }));
    const auto start = Clock::now();
    EXPECT_TRUE(player_->stopPlayback());
    // Prompt next to the seconds still to play, with room for a machine busy with other work.
    EXPECT_LT(Clock::now() - start, 3s);
    EXPECT_FALSE(player_->getAudioOutDevice()->isPlaying());
    EXPECT_TRUE(ZQ3::Fixture::WaitUntil([&] { return ZQ3::Fixture::ThreadsBesides(idle) == 0; }));
    player_->stop();
    EXPECT_EQ("", printer_->Texts());
}

TEST_F(PlayerTest, UnreadableFileGivesTheSupportedFilesMessage) {
    const std::string text = directory_ / "text.wav";
    ZQ3::Fixture::WriteFileBytes(text, "RIFF but not really a wave file");
    player_->playFile(text);
    EXPECT_EQ(ZQ3::MessageCatalogue::Instance().text(ZQ3::MessageWaveFileRefused) +
                  "\ntext.wav: this is not a WAV or AIFF file.\n",
              printer_->Texts());
    EXPECT_FALSE(player_->getAudioOutDevice()->isPlaying());
}

TEST_F(PlayerTest, FileOfAnotherSampleTypeGivesTheSupportedFilesMessage) {
    const std::string file = directory_ / "deep.wav";
    ZQ3::Fixture::WriteWav(file, 44100, 1, 24, 1000,
                           [](std::uint32_t frame, int) { return std::int32_t(frame * 1000); });
    player_->playFile(file);
    // The reason names the file and says what it is.
    EXPECT_EQ(ZQ3::MessageCatalogue::Instance().text(ZQ3::MessageWaveFileRefused) +
                  "\ndeep.wav: 24-bit, 44100 Hz, mono, 22.6 ms. The card takes 16-bit, 44100 "
                  "Hz, mono or stereo, at least 70 ms.\n",
              printer_->Texts());
}

TEST_F(PlayerTest, MissingPadFilesGivePlaybackFailed) {
    player_->playCardSample({directory_ / "SMP0001L.ZQD"}, false, 1000);
    EXPECT_EQ(ZQ3::MessageCatalogue::Instance().text(ZQ3::MessagePlaybackFailed) + "\n",
              printer_->Texts());
}

TEST_F(PlayerTest, DeviceThatCannotOpenGivesPlaybackFailedAndStopsTheFiller) {
    const auto paths = MakePad(1, 2000);
    const auto idle = ZQ3::Fixture::ThreadIds();
    setenv("ZQ3_AUDIO_OUT", "nowhere", 1);
    auto observer = std::make_shared<CStartObserver>();
    player_->addObserver(observer);
    player_->playCardSample(paths, false, 2000);
    // The message, then why: the output named is none the program knows.
    const std::string texts = printer_->Texts();
    EXPECT_EQ(
        texts.rfind(ZQ3::MessageCatalogue::Instance().text(ZQ3::MessagePlaybackFailed) + "\n", 0),
        0u)
        << texts;
    EXPECT_NE(texts.find("'nowhere'"), std::string::npos) << texts;
    EXPECT_EQ(0, observer->updates);
    // The filler that was started for the playback has been stopped and joined.
    EXPECT_TRUE(ZQ3::Fixture::WaitUntil([&] { return ZQ3::Fixture::ThreadsBesides(idle) == 0; }));
}

} // namespace
