#pragma once

#include "platform/wave_out_sink.h"

#include <string>

typedef struct _snd_pcm snd_pcm_t;

namespace SL {

// A sink on an ALSA playback device, opened by its PCM name ("default", "hw:0,0", ...).
class CAlsaWaveOutSink : public IWaveOutSink {
public:
    explicit CAlsaWaveOutSink(std::string pcmName);
    ~CAlsaWaveOutSink() override;

    bool Open(const CWaveOutFormat& format) override;
    CWaveOutOpenFailure GetOpenFailure() const override { return openFailure_; }
    bool Render(const std::uint8_t* frames, std::size_t frameCount) override;
    std::uint64_t GetDelay() override;
    void Idle() override;
    void Pause() override;
    void Resume() override;
    void Discard() override;
    void Close() override;

private:
    void StartIfWaiting();

    std::string pcmName_;
    snd_pcm_t* pcm_ = nullptr;
    CWaveOutFormat format_;
    bool canPause_ = false;
    bool paused_ = false;
    CWaveOutOpenFailure openFailure_;
};

} // namespace SL
