#include "audio_test_sources.h"
#include "sl/audio/mme_audio_device_base.h"
#include "sl/audio/mme_audio_device_facade.h"
#include "sl/audio/mme_audio_out_device.h"
#include "sl/audio/sample_iterator_ring_buffering_decorator.h"
#include "sl/audio/sample_iterator_stereo_decorator.h"
#include "tests/support/process_threads.h"
#include "tests/support/sound_file.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using SL::CSampleTag;
using SL::Testing::MakeSource;
using SL::Testing::Ramp;

constexpr double BufferTime = 0.02;
// Frames in one device buffer at 44.1 kHz.
constexpr std::size_t BufferFrames = 882;

class CCountingListener : public SL::IAudioDeviceEventListener {
public:
    void onEvent(const SL::CAudioDeviceEvent& event) override {
        if (event.getKind() == SL::CAudioDeviceEvent::BufferProcessed) {
            ++events;
        }
    }
    std::atomic<int> events{0};
};

class MmeAudioDeviceTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        capture_ = std::filesystem::path(directory_.path()) / "capture.wav";
        setenv("ZQ3_AUDIO_OUT", ("wav:" + capture_.string()).c_str(), 1);
        facade_ = std::make_shared<SL::CMmeAudioDeviceFacade>(GetParam());
        device_ = facade_->createOutputDevice(facade_->getDefaultOutputDeviceName());
        ASSERT_NE(nullptr, device_);
        dynamic_cast<SL::CAudioDeviceBase&>(*device_).setDeviceBufferTime(BufferTime);
    }
    void TearDown() override {
        device_.reset();
        facade_.reset();
        unsetenv("ZQ3_AUDIO_OUT");
    }

    // Waits until the device is idle again; false when it still plays at the deadline.
    bool WaitUntilIdle() {
        return ZQ3::Fixture::WaitUntil([&] { return !device_->isPlaying(); });
    }
    // Waits until the device has played some of its sound.
    bool WaitUntilHeard() {
        return ZQ3::Fixture::WaitUntil([&] { return device_->getPosition() > 0; });
    }

    ZQ3::Fixture::TemporaryDirectory directory_;
    std::filesystem::path capture_;
    std::shared_ptr<SL::CMmeAudioDeviceFacade> facade_;
    std::shared_ptr<SL::IAudioOutDevice> device_;
};

TEST_P(MmeAudioDeviceTest, StereoSourceIsCapturedExactlyWithTheSilencePaddedTail) {
    // Twenty and a half buffers: the last is padded with silence. Long enough that the device
    // is certainly still playing when the test looks, however busy the machine.
    const auto samples = Ramp(2 * (20 * BufferFrames + BufferFrames / 2));
    ASSERT_TRUE(device_->play(MakeSource(samples, 2)));
    EXPECT_TRUE(device_->isPlaying());
    ASSERT_TRUE(WaitUntilIdle());
    int channels = 0;
    const auto captured = ZQ3::Fixture::ReadSamples16(capture_, channels);
    EXPECT_EQ(2, channels);
    ASSERT_EQ(2 * 21 * BufferFrames, captured.size());
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), captured.begin()));
    EXPECT_TRUE(std::all_of(captured.begin() + std::ptrdiff_t(samples.size()), captured.end(),
                            [](std::int16_t sample) { return sample == 0; }));
}

TEST_P(MmeAudioDeviceTest, MonoSourceThroughTheDecoratorsPlaysOnBothChannels) {
    const auto mono = Ramp(5000);
    auto ring = std::make_shared<SL::CSampleIteratorRingBufferingDecorator<CSampleTag::Integer16>>(
        MakeSource(mono, 1), GT::AThread::TimeCriticalPriority, 0.18);
    auto stereo = std::make_shared<SL::CSampleIteratorStereoDecorator<CSampleTag::Integer16>>(ring);
    ASSERT_TRUE(device_->play(stereo));
    ring.reset();
    stereo.reset();
    ASSERT_TRUE(WaitUntilIdle());
    int channels = 0;
    const auto captured = ZQ3::Fixture::ReadSamples16(capture_, channels);
    EXPECT_EQ(2, channels);
    ASSERT_GE(captured.size(), 2 * mono.size());
    for (std::size_t frame = 0; frame < mono.size(); ++frame) {
        ASSERT_EQ(mono[frame], captured[2 * frame]) << frame;
        ASSERT_EQ(mono[frame], captured[2 * frame + 1]) << frame;
    }
}

TEST_P(MmeAudioDeviceTest, PlaybackEndsWithinAFewBufferPeriodsOfItsSound) {
    const auto samples = Ramp(2 * 4 * BufferFrames);
    const auto start = Clock::now();
    ASSERT_TRUE(device_->play(MakeSource(samples, 2)));
    ASSERT_TRUE(WaitUntilIdle());
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    // Four buffers of sound, and the output lets each frame take its time: the playback cannot
    // end sooner (a microsecond allowed for the clock's rounding to whole nanoseconds).
    EXPECT_GE(elapsed, 4 * BufferTime - 1e-6);
    // Generous: the machine may be busy with other work, and the bound only has to catch a
    // device that notices the end seconds late.
    EXPECT_LT(elapsed, 4 * BufferTime + 3.0);
}

TEST_P(MmeAudioDeviceTest, SourceShorterThanOneBufferStillPlays) {
    ASSERT_TRUE(device_->play(MakeSource({11, 12, 13, 14}, 2)));
    ASSERT_TRUE(WaitUntilIdle());
    int channels = 0;
    const auto captured = ZQ3::Fixture::ReadSamples16(capture_, channels);
    ASSERT_EQ(2 * BufferFrames, captured.size());
    EXPECT_EQ((std::vector<std::int16_t>{11, 12, 13, 14, 0}),
              std::vector<std::int16_t>(captured.begin(), captured.begin() + 5));
}

TEST_P(MmeAudioDeviceTest, SecondPlayWhilePlayingIsRefusedAndLeavesTheFirstAlone) {
    const auto samples = Ramp(2 * 44100);
    ASSERT_TRUE(device_->play(MakeSource(samples, 2)));
    EXPECT_FALSE(device_->play(MakeSource(Ramp(100, 500), 2)));
    EXPECT_TRUE(device_->isPlaying());
    ASSERT_TRUE(WaitUntilHeard());
    ASSERT_TRUE(device_->stop());
    int channels = 0;
    const auto captured = ZQ3::Fixture::ReadSamples16(capture_, channels);
    ASSERT_FALSE(captured.empty());
    EXPECT_TRUE(std::equal(captured.begin(), captured.end(), samples.begin()));
}

TEST_P(MmeAudioDeviceTest, StopDuringPlaybackIsPromptAndLeavesNoThreadBehind) {
    const auto idleThreads = ZQ3::Fixture::ThreadIds();
    CCountingListener listener;
    auto shared = std::shared_ptr<CCountingListener>(&listener, [](CCountingListener*) {});
    device_->addEventListener(shared);
    auto ring = std::make_shared<SL::CSampleIteratorRingBufferingDecorator<CSampleTag::Integer16>>(
        MakeSource(Ramp(2 * 44100 * 10), 2), GT::AThread::TimeCriticalPriority, 1.0);
    ASSERT_TRUE(device_->play(ring));
    ring.reset();
    // Stopped in the middle: a buffer has come back, and there are seconds still to play.
    ASSERT_TRUE(ZQ3::Fixture::WaitUntil([&] { return listener.events.load() > 0; }));
    ASSERT_TRUE(WaitUntilHeard());
    EXPECT_GT(ZQ3::Fixture::ThreadsBesides(idleThreads), 0u);
    const auto start = Clock::now();
    EXPECT_TRUE(device_->stop());
    // Prompt next to the seconds still to play, with room for a machine busy with other work.
    EXPECT_LT(Clock::now() - start, 3s);
    EXPECT_FALSE(device_->isPlaying());
    EXPECT_EQ(0, device_->getPosition());
    // The filler, the event thread and the platform's player are gone.
    EXPECT_TRUE(
        ZQ3::Fixture::WaitUntil([&] { return ZQ3::Fixture::ThreadsBesides(idleThreads) == 0; }));
    EXPECT_TRUE(device_->stop());
}

TEST_P(MmeAudioDeviceTest, StopOnAnIdleDeviceDoesNothing) {
    EXPECT_TRUE(device_->stop());
    EXPECT_FALSE(device_->isPlaying());
    EXPECT_EQ(0, device_->getPosition());
    ASSERT_TRUE(device_->play(MakeSource(Ramp(20), 2)));
    ASSERT_TRUE(WaitUntilIdle());
    // The device plays again after a playback ended by itself.
    ASSERT_TRUE(device_->play(MakeSource(Ramp(20), 2)));
    ASSERT_TRUE(WaitUntilIdle());
}

TEST_P(MmeAudioDeviceTest, ListenersAreKeptOnceAndNeverKeptAlive) {
    auto first = std::make_shared<CCountingListener>();
    auto dead = std::make_shared<CCountingListener>();
    device_->addEventListener(first);
    device_->addEventListener(first);
    device_->addEventListener(dead);
    std::weak_ptr<CCountingListener> deadView = dead;
    dead.reset();
    EXPECT_TRUE(deadView.expired());
    ASSERT_TRUE(device_->play(MakeSource(Ramp(2 * 3 * BufferFrames), 2)));
    ASSERT_TRUE(WaitUntilIdle());
    // One event per serviced buffer: the three played buffers come back one by one, plus
    // at most one time-out at the end; a listener held twice would count double.
    const int events = first->events.load();
    EXPECT_GE(events, 3);
    EXPECT_LE(events, 8);
}

TEST_P(MmeAudioDeviceTest, UnsupportedFormatIsRefused) {
    auto buffer = std::make_shared<SL::CSampleBuffer<CSampleTag::Integer16>>(
        SL::CSampleAttribute(SL::CBitDepth(CSampleTag::Integer16), 0.0, 2, 100));
    EXPECT_FALSE(device_->supportsFormat(buffer->GetAttribute()));
    EXPECT_FALSE(device_->play(buffer->CreateInputIteratorAtBegin()));
    EXPECT_FALSE(device_->isPlaying());
    EXPECT_FALSE(device_->play(nullptr));
}

TEST_P(MmeAudioDeviceTest, NoOutputMeansNothingPlays) {
    setenv("ZQ3_AUDIO_OUT", "none-such", 1);
    EXPECT_FALSE(device_->play(MakeSource(Ramp(100), 2)));
    EXPECT_FALSE(device_->isPlaying());
}

INSTANTIATE_TEST_SUITE_P(BothCallbackKinds, MmeAudioDeviceTest,
                         ::testing::Values(SL::CMmeAudioDeviceBase::EventCallback,
                                           SL::CMmeAudioDeviceBase::WindowMessageCallback));

TEST(MmeAudioDeviceFacadeTest, ListsTheMapperFirstAndMakesDevicesOfItsKind) {
    setenv("ZQ3_AUDIO_OUT", "null", 1);
    SL::CMmeAudioDeviceFacade facade(SL::CMmeAudioDeviceBase::EventCallback);
    EXPECT_EQ(1, facade.getOutputDeviceCount());
    EXPECT_EQ((std::vector<std::string>{"default", "null"}), facade.getOutputDeviceNames());
    EXPECT_EQ("default", facade.getDefaultOutputDeviceName());
    EXPECT_EQ(0, facade.getInputDeviceCount());
    EXPECT_EQ(nullptr, facade.createInputDevice("default"));
    const auto device = facade.createOutputDevice("anything");
    ASSERT_NE(nullptr, device);
    EXPECT_EQ("anything", device->getName());
    EXPECT_NE(nullptr, dynamic_cast<SL::CMmeEventCallbackAudioOutDevice*>(device.get()));
    SL::CMmeAudioDeviceFacade other(2);
    EXPECT_EQ(nullptr, other.createOutputDevice("default"));
    unsetenv("ZQ3_AUDIO_OUT");
}

TEST(MmeAudioDeviceFacadeTest, NamesMatchDevicesExactlyOrOpenTheMapper) {
    setenv("ZQ3_AUDIO_OUT", "null", 1);
    EXPECT_EQ(0, SL::CMmeAudioDeviceBase::getDeviceId("null"));
    EXPECT_EQ(-1, SL::CMmeAudioDeviceBase::getDeviceId("Null"));
    EXPECT_EQ(-1, SL::CMmeAudioDeviceBase::getDeviceId("default"));
    unsetenv("ZQ3_AUDIO_OUT");
}

TEST(MmeAudioDeviceFacadeTest, WaveFormatFollowsTheBitDepth) {
    const auto pcm = SL::MakeWaveOutFormat(
        SL::CSampleAttribute(SL::CBitDepth(CSampleTag::Integer24), 44100.4, 2, 0));
    EXPECT_EQ(1, pcm.formatTag);
    EXPECT_EQ(44100u, pcm.samplesPerSecond);
    EXPECT_EQ(6, pcm.blockAlign);
    EXPECT_EQ(44100u * 6, pcm.averageBytesPerSecond);
    EXPECT_EQ(24, pcm.bitsPerSample);
    const auto floats = SL::MakeWaveOutFormat(
        SL::CSampleAttribute(SL::CBitDepth(CSampleTag::Float64), 48000, 1, 0));
    EXPECT_EQ(3, floats.formatTag);
    EXPECT_EQ(8, floats.blockAlign);
    EXPECT_EQ(64, floats.bitsPerSample);
}

} // namespace
