#include "platform/alsa_wave_out_sink.h"

#include <alsa/asoundlib.h>

#include <chrono>
#include <thread>

namespace SL {

namespace {

// How much the card's own buffer holds ahead of the ear. Short enough that a stop is heard at
// once, long enough that a busy machine does not starve the card.
constexpr unsigned LatencyMicroseconds = 80000;

snd_pcm_format_t ToAlsaFormat(const CWaveOutFormat& format) {
    if (format.formatTag == CWaveOutFormat::IeeeFloat) {
        return format.bitsPerSample == 64 ? SND_PCM_FORMAT_FLOAT64_LE : SND_PCM_FORMAT_FLOAT_LE;
    }
    switch (format.bitsPerSample) {
    case 8:
        return SND_PCM_FORMAT_U8;
    case 16:
        return SND_PCM_FORMAT_S16_LE;
    case 24:
        return SND_PCM_FORMAT_S24_3LE;
    default:
        return SND_PCM_FORMAT_S32_LE;
    }
}

} // namespace

CAlsaWaveOutSink::CAlsaWaveOutSink(std::string pcmName) : pcmName_(std::move(pcmName)) {}

CAlsaWaveOutSink::~CAlsaWaveOutSink() {
    if (pcm_ != nullptr) {
        snd_pcm_close(pcm_);
    }
}

bool CAlsaWaveOutSink::Open(const CWaveOutFormat& format) {
    format_ = format;
    openFailure_ = {};
    if (const int error = snd_pcm_open(&pcm_, pcmName_.c_str(), SND_PCM_STREAM_PLAYBACK, 0);
        error < 0) {
        pcm_ = nullptr;
        openFailure_ = {CWaveOutOpenFailure::Reason::DeviceUnavailable, pcmName_,
                        snd_strerror(error)};
        return false;
    }
    if (const int error =
            snd_pcm_set_params(pcm_, ToAlsaFormat(format), SND_PCM_ACCESS_RW_INTERLEAVED,
                               format.channels, format.samplesPerSecond, 1, LatencyMicroseconds);
        error < 0) {
        snd_pcm_close(pcm_);
        pcm_ = nullptr;
        openFailure_ = {CWaveOutOpenFailure::Reason::FormatRefused, pcmName_, snd_strerror(error)};
        return false;
    }
    snd_pcm_hw_params_t* parameters = nullptr;
    if (snd_pcm_hw_params_malloc(&parameters) == 0) {
        if (snd_pcm_hw_params_current(pcm_, parameters) == 0) {
            canPause_ = snd_pcm_hw_params_can_pause(parameters) != 0;
        }
        snd_pcm_hw_params_free(parameters);
    }
    return true;
}

bool CAlsaWaveOutSink::Render(const std::uint8_t* frames, std::size_t frameCount) {
    while (frameCount > 0) {
        const snd_pcm_sframes_t written = snd_pcm_writei(pcm_, frames, frameCount);
        if (written < 0) {
            // An underrun or a suspend is recovered and the frames offered again; anything
            // else loses them rather than looping on a device that has gone.
            if (snd_pcm_recover(pcm_, static_cast<int>(written), 1) < 0) {
                return false;
            }
            continue;
        }
        frames += static_cast<std::size_t>(written) * format_.blockAlign;
        frameCount -= static_cast<std::size_t>(written);
    }
    return true;
}

std::uint64_t CAlsaWaveOutSink::GetDelay() {
    snd_pcm_sframes_t delay = 0;
    if (snd_pcm_delay(pcm_, &delay) < 0 || delay < 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(delay);
}

void CAlsaWaveOutSink::StartIfWaiting() {
    // The card starts by itself only once its buffer is full; a sound shorter than that, or
    // the tail of a longer one, would otherwise wait there for frames that never come.
    if (snd_pcm_state(pcm_) == SND_PCM_STATE_PREPARED && GetDelay() > 0) {
        snd_pcm_start(pcm_);
    }
}

void CAlsaWaveOutSink::Idle() {
    StartIfWaiting();
}

void CAlsaWaveOutSink::Pause() {
    if (canPause_ && snd_pcm_state(pcm_) == SND_PCM_STATE_RUNNING && snd_pcm_pause(pcm_, 1) == 0) {
        paused_ = true;
    }
}

void CAlsaWaveOutSink::Resume() {
    if (paused_) {
        snd_pcm_pause(pcm_, 0);
        paused_ = false;
    }
}

void CAlsaWaveOutSink::Discard() {
    paused_ = false;
    snd_pcm_drop(pcm_);
    snd_pcm_prepare(pcm_);
}

void CAlsaWaveOutSink::Close() {
    if (pcm_ == nullptr) {
        return;
    }
    // The last frames handed over are still in the card's buffer: let them sound, but never
    // wait longer than that buffer can hold, in case the device stalled.
    if (!paused_) {
        StartIfWaiting();
    }
    const auto limit =
        std::chrono::steady_clock::now() + std::chrono::microseconds(LatencyMicroseconds * 2);
    while (!paused_ && snd_pcm_state(pcm_) == SND_PCM_STATE_RUNNING && GetDelay() > 0 &&
           std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    snd_pcm_drop(pcm_);
    snd_pcm_close(pcm_);
    pcm_ = nullptr;
}

} // namespace SL
