#pragma once

#include "platform/wav_capture_file.h"
#include "platform/wave_out_sink.h"

#include <chrono>
#include <memory>
#include <string>

namespace SL {

// A sink without hardware: it lets each frame take exactly its time at the stream's rate, so
// that everything above it runs as with a sound card, and it either drops the frames or
// appends them to a capture file.
class CClockWaveOutSink : public IWaveOutSink {
public:
    // An empty capture path plays into nothing.
    explicit CClockWaveOutSink(std::string capturePath = {});

    bool Open(const CWaveOutFormat& format) override;
    CWaveOutOpenFailure GetOpenFailure() const override { return openFailure_; }
    bool Render(const std::uint8_t* frames, std::size_t frameCount) override;
    std::uint64_t GetDelay() override { return 0; }
    void Idle() override { running_ = false; }
    void Pause() override { running_ = false; }
    void Resume() override {}
    void Discard() override { running_ = false; }
    void Close() override;

private:
    using Clock = std::chrono::steady_clock;

    std::string capturePath_;
    std::unique_ptr<CWavCaptureFile> capture_;
    CWaveOutOpenFailure openFailure_;
    CWaveOutFormat format_;
    // Frames since the clock was last started count from this instant; after a pause or an
    // underrun the clock restarts, as a sound card resumes from where it stalled.
    Clock::time_point origin_;
    std::uint64_t framesSinceOrigin_ = 0;
    bool running_ = false;
};

} // namespace SL
