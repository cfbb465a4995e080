#include "platform/clock_wave_out_sink.h"

#include <cerrno>
#include <cstring>
#include <thread>

namespace SL {

CClockWaveOutSink::CClockWaveOutSink(std::string capturePath)
    : capturePath_(std::move(capturePath)) {}

bool CClockWaveOutSink::Open(const CWaveOutFormat& format) {
    format_ = format;
    running_ = false;
    if (capturePath_.empty()) {
        return true;
    }
    capture_ = std::make_unique<CWavCaptureFile>();
    errno = 0;
    if (!capture_->Open(capturePath_, format)) {
        const int error = errno;
        capture_.reset();
        openFailure_ = {CWaveOutOpenFailure::Reason::CaptureFileUnwritable, capturePath_,
                        error != 0 ? std::strerror(error) : std::string()};
        return false;
    }
    return true;
}

bool CClockWaveOutSink::Render(const std::uint8_t* frames, std::size_t frameCount) {
    if (!running_) {
        origin_ = Clock::now();
        framesSinceOrigin_ = 0;
        running_ = true;
    }
    framesSinceOrigin_ += frameCount;
    const auto playedUntil =
        origin_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                      static_cast<double>(framesSinceOrigin_) / format_.samplesPerSecond));
    // The frames count as played once their time has passed, so a reset in the middle of
    // them leaves out of the capture exactly what was never heard.
    std::this_thread::sleep_until(playedUntil);
    if (capture_) {
        return capture_->Write(frames, frameCount * format_.blockAlign);
    }
    return true;
}

void CClockWaveOutSink::Close() {
    if (capture_) {
        capture_->Close();
        capture_.reset();
    }
}

} // namespace SL
