#include "platform/wav_capture_file.h"
#include "platform/wave_out.h"
#include "tests/support/sound_file.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using SL::CWaveOut;
using SL::CWaveOutHeader;
using SL::WaveOutMessage;
using SL::WaveOutResult;

constexpr std::uint32_t Rate = 44100;

SL::CWaveOutFormat Stereo16() {
    SL::CWaveOutFormat format;
    format.channels = 2;
    format.samplesPerSecond = Rate;
    format.bitsPerSample = 16;
    format.blockAlign = 4;
    format.averageBytesPerSecond = Rate * 4;
    return format;
}

// A buffer of stereo frames whose samples count up from a start value, so that a capture
// shows which samples arrived and in what order.
struct CTestBuffer {
    CTestBuffer(std::size_t frames, std::int16_t first) : samples(frames * 2) {
        for (std::size_t i = 0; i < samples.size(); ++i) {
            samples[i] = static_cast<std::int16_t>(first + static_cast<std::int16_t>(i));
        }
        header.data = reinterpret_cast<std::uint8_t*>(samples.data());
        header.bufferLength = static_cast<std::uint32_t>(samples.size() * 2);
    }
    std::vector<std::int16_t> samples;
    CWaveOutHeader header;
};

// Collects the stream's messages as they come from its thread.
class CMessageLog {
public:
    CWaveOut::Callback Callback() {
        return [this](WaveOutMessage message, CWaveOutHeader* header) {
            std::lock_guard lock(mutex_);
            if (message == WaveOutMessage::Done) {
                done_.push_back(header);
            } else {
                ++others_;
            }
            changed_.notify_all();
        };
    }
    bool WaitForDone(std::size_t count,
                     std::chrono::steady_clock::duration limit = ZQ3::Fixture::kGenerousDeadline) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return done_.size() >= count; });
    }
    std::vector<CWaveOutHeader*> Done() {
        std::lock_guard lock(mutex_);
        return done_;
    }
    int Others() {
        std::lock_guard lock(mutex_);
        return others_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<CWaveOutHeader*> done_;
    int others_ = 0;
};

class WaveOutTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory_ = directoryHolder_.path();
        capture_ = directory_ / "capture.wav";
        Choose("wav:" + capture_.string());
    }
    void TearDown() override { unsetenv("ZQ3_AUDIO_OUT"); }
    static void Choose(const std::string& choice) { setenv("ZQ3_AUDIO_OUT", choice.c_str(), 1); }

    ZQ3::Fixture::TemporaryDirectory directoryHolder_;
    std::filesystem::path directory_;
    std::filesystem::path capture_;
};

TEST_F(WaveOutTest, PlaysBuffersInOrderAndCapturesExactlyTheirFrames) {
    CMessageLog log;
    std::unique_ptr<CWaveOut> stream;
    ASSERT_EQ(WaveOutResult::NoError,
              CWaveOut::Open(stream, CWaveOut::Mapper, Stereo16(), log.Callback()));
    EXPECT_EQ(1, log.Others());
    CTestBuffer first(1000, 0);
    CTestBuffer second(333, 2000);
    // Paused, so that the queue is certainly still full when it is looked at.
    stream->Pause();
    for (auto* buffer : {&first, &second}) {
        ASSERT_EQ(WaveOutResult::NoError, stream->PrepareHeader(buffer->header));
        ASSERT_EQ(WaveOutResult::NoError, stream->Write(buffer->header));
    }
    EXPECT_EQ(WaveOutResult::StillPlaying, stream->UnprepareHeader(second.header));
    EXPECT_EQ(WaveOutResult::StillPlaying, stream->Close());
    stream->Restart();
    ASSERT_TRUE(log.WaitForDone(2));
    EXPECT_EQ((std::vector<CWaveOutHeader*>{&first.header, &second.header}), log.Done());
    EXPECT_TRUE(second.header.HasFlag(CWaveOutHeader::Done));
    EXPECT_EQ(WaveOutResult::NoError, stream->UnprepareHeader(first.header));
    EXPECT_EQ(WaveOutResult::NoError, stream->UnprepareHeader(second.header));
    std::uint32_t position = 0;
    ASSERT_EQ(WaveOutResult::NoError, stream->GetPosition(position));
    EXPECT_EQ(1333u, position);
    EXPECT_EQ(WaveOutResult::NoError, stream->Close());
    EXPECT_EQ(WaveOutResult::InvalidHandle, stream->Write(first.header));

    int channels = 0;
    const auto captured = ZQ3::Fixture::ReadSamples16(capture_, channels);
    EXPECT_EQ(2, channels);
    std::vector<std::int16_t> expected = first.samples;
    expected.insert(expected.end(), second.samples.begin(), second.samples.end());
    EXPECT_EQ(expected, captured);
}

TEST_F(WaveOutTest, BuffersTakeTheirPlayingTime) {
    CMessageLog log;
    std::unique_ptr<CWaveOut> stream;
    ASSERT_EQ(WaveOutResult::NoError, CWaveOut::Open(stream, 0, Stereo16(), log.Callback()));
    CTestBuffer buffer(Rate / 10, 0);
    const auto start = std::chrono::steady_clock::now();
    stream->PrepareHeader(buffer.header);
    stream->Write(buffer.header);
    ASSERT_TRUE(log.WaitForDone(1));
    // The clock-paced output lets each frame take its time at the rate: the buffer comes back
    // no sooner than its length after the write, however busy the machine.
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
}

TEST_F(WaveOutTest, NothingPlaysWhilePausedAndRestartContinues) {
    CMessageLog log;
    std::unique_ptr<CWaveOut> stream;
    ASSERT_EQ(WaveOutResult::NoError,
              CWaveOut::Open(stream, CWaveOut::Mapper, Stereo16(), log.Callback()));
    CTestBuffer buffer(441, 0);
    stream->Pause();
    stream->PrepareHeader(buffer.header);
    stream->Write(buffer.header);
    // Time in which a stream that ignored the pause would have played the buffer.
    std::this_thread::sleep_for(40ms);
    std::uint32_t position = 1;
    stream->GetPosition(position);
    EXPECT_EQ(0u, position);
    EXPECT_TRUE(log.Done().empty());
    stream->Restart();
    ASSERT_TRUE(log.WaitForDone(1));
    stream->GetPosition(position);
    EXPECT_EQ(441u, position);
}

TEST_F(WaveOutTest, ResetReturnsEveryBufferAndCapturesOnlyWhatWasPlayed) {
    CMessageLog log;
    std::unique_ptr<CWaveOut> stream;
    ASSERT_EQ(WaveOutResult::NoError,
              CWaveOut::Open(stream, CWaveOut::Mapper, Stereo16(), log.Callback()));
    // Seconds of sound, so that the reset certainly comes in the middle of the first buffer.
    CTestBuffer first(5 * Rate, 0);
    CTestBuffer second(5 * Rate, 0);
    for (auto* buffer : {&first, &second}) {
        stream->PrepareHeader(buffer->header);
        stream->Write(buffer->header);
    }
    // Something has been played, and so captured, before the reset.
    ASSERT_TRUE(ZQ3::Fixture::WaitUntil([&] {
        std::uint32_t played = 0;
        return stream->GetPosition(played) == WaveOutResult::NoError && played > 0;
    }));
    ASSERT_EQ(WaveOutResult::NoError, stream->Reset());
    // Reset returns after both buffers came back.
    EXPECT_EQ(2u, log.Done().size());
    EXPECT_EQ(WaveOutResult::NoError, stream->UnprepareHeader(first.header));
    EXPECT_EQ(WaveOutResult::NoError, stream->UnprepareHeader(second.header));
    std::uint32_t position = 1;
    stream->GetPosition(position);
    EXPECT_EQ(0u, position);
    stream.reset();

    int channels = 0;
    const auto captured = ZQ3::Fixture::ReadSamples16(capture_, channels);
    ASSERT_FALSE(captured.empty());
    ASSERT_LT(captured.size(), first.samples.size());
    EXPECT_TRUE(std::equal(captured.begin(), captured.end(), first.samples.begin()));
}

TEST_F(WaveOutTest, ReleasingAStreamWithQueuedBuffersStopsItPromptly) {
    std::unique_ptr<CWaveOut> stream;
    ASSERT_EQ(WaveOutResult::NoError, CWaveOut::Open(stream, CWaveOut::Mapper, Stereo16()));
    CTestBuffer buffer(Rate * 30, 0);
    stream->PrepareHeader(buffer.header);
    stream->Write(buffer.header);
    const auto start = std::chrono::steady_clock::now();
    stream.reset();
    // A stop takes one 10 ms piece at most; the bound leaves room for a busy machine and still
    // tells a stop from playing the half minute out.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_TRUE(buffer.header.HasFlag(CWaveOutHeader::Done));
}

TEST_F(WaveOutTest, OpenRefusesBadFormatsUnknownDevicesAndUnknownOutputs) {
    std::unique_ptr<CWaveOut> stream;
    auto format = Stereo16();
    format.bitsPerSample = 12;
    EXPECT_EQ(WaveOutResult::BadFormat, CWaveOut::Open(stream, CWaveOut::Mapper, format));
    EXPECT_EQ(WaveOutResult::BadDeviceId, CWaveOut::Open(stream, 7, Stereo16()));
    Choose("nothing");
    EXPECT_NE(WaveOutResult::NoError, CWaveOut::Open(stream, CWaveOut::Mapper, Stereo16()));
    EXPECT_EQ(0u, CWaveOut::GetDeviceCount());
    Choose("wav:" + (directory_ / "missing" / "x.wav").string());
    EXPECT_EQ(WaveOutResult::Error, CWaveOut::Open(stream, CWaveOut::Mapper, Stereo16()));
    EXPECT_EQ(nullptr, stream);
}

TEST_F(WaveOutTest, DevicesAreListedWithTheMapperApart) {
    Choose("null");
    ASSERT_EQ(1u, CWaveOut::GetDeviceCount());
    std::string name;
    EXPECT_EQ(WaveOutResult::NoError, CWaveOut::GetDeviceName(CWaveOut::Mapper, name));
    EXPECT_EQ("default", name);
    EXPECT_EQ(WaveOutResult::NoError, CWaveOut::GetDeviceName(0, name));
    EXPECT_EQ("null", name);
    EXPECT_EQ(WaveOutResult::BadDeviceId, CWaveOut::GetDeviceName(1, name));
}

// ALSA's own "null" PCM needs no card, so the ALSA path runs everywhere that has alsa-lib.
TEST_F(WaveOutTest, AlsaNullDevicePlaysBuffersThrough) {
    Choose("alsa:null");
    CMessageLog log;
    std::unique_ptr<CWaveOut> stream;
    if (CWaveOut::Open(stream, CWaveOut::Mapper, Stereo16(), log.Callback()) !=
        WaveOutResult::NoError) {
        GTEST_SKIP() << "ALSA has no null PCM here";
    }
    CTestBuffer first(2000, 0);
    CTestBuffer second(2000, 0);
    for (auto* buffer : {&first, &second}) {
        stream->PrepareHeader(buffer->header);
        stream->Write(buffer->header);
    }
    ASSERT_TRUE(log.WaitForDone(2));
    EXPECT_EQ((std::vector<CWaveOutHeader*>{&first.header, &second.header}), log.Done());
    EXPECT_EQ(WaveOutResult::NoError, stream->Close());
}

} // namespace

namespace {

TEST_F(WaveOutTest, CaptureFileOfOddSizeAndOfFloatsReadsBack) {
    SL::CWaveOutFormat bytes;
    bytes.channels = 1;
    bytes.samplesPerSecond = 8000;
    bytes.bitsPerSample = 8;
    bytes.blockAlign = 1;
    bytes.averageBytesPerSecond = 8000;
    {
        SL::CWavCaptureFile file;
        ASSERT_TRUE(file.Open(capture_.string(), bytes));
        const std::uint8_t data[] = {0x80, 0xFF, 0x00};
        ASSERT_TRUE(file.Write(data, 3));
    }
    EXPECT_EQ(44u + 3u + 1u, std::filesystem::file_size(capture_));
    int channels = 0;
    EXPECT_EQ(3u, ZQ3::Fixture::ReadSamples16(capture_, channels).size());

    SL::CWaveOutFormat floats;
    floats.formatTag = SL::CWaveOutFormat::IeeeFloat;
    floats.channels = 2;
    floats.samplesPerSecond = 44100;
    floats.bitsPerSample = 32;
    floats.blockAlign = 8;
    floats.averageBytesPerSecond = 44100 * 8;
    {
        SL::CWavCaptureFile file;
        ASSERT_TRUE(file.Open(capture_.string(), floats));
        const float data[] = {0.5f, -0.5f};
        ASSERT_TRUE(file.Write(reinterpret_cast<const std::uint8_t*>(data), sizeof data));
    }
    EXPECT_EQ(46u + 8u, std::filesystem::file_size(capture_));
    const auto read = ZQ3::Fixture::ReadSoundFile<double>(capture_);
    ASSERT_TRUE(read);
    EXPECT_EQ(2, read->channels);
    EXPECT_EQ(1, read->frames);
    EXPECT_EQ((std::vector<double>{0.5, -0.5}), read->samples);
}

} // namespace
