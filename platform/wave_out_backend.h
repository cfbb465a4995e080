#pragma once

#include "platform/wave_out_sink.h"

#include <memory>
#include <string>
#include <vector>

namespace SL {

// Which kind of output the program plays through, chosen by the environment variable
// ZQ3_AUDIO_OUT:
//   alsa (or unset)  the ALSA "default" PCM as the mapper, the ALSA playback PCMs as devices
//   alsa:DEVICE      the same, with the PCM named DEVICE as the mapper
//   null             a clock-paced output that plays nothing
//   wav:PATH         like null, and the frames played are captured to the WAV file PATH
// Any other value names no output at all, so every open fails.
class CWaveOutBackend {
public:
    enum class Kind { Alsa, Null, Wav, None };

    static constexpr const char* EnvironmentVariable = "ZQ3_AUDIO_OUT";

    static CWaveOutBackend FromEnvironment();
    static CWaveOutBackend Parse(const std::string& choice);

    Kind GetKind() const { return kind_; }
    // The value that named no output, for Kind::None.
    const std::string& GetUnknownChoice() const { return argument_; }
    // The numbered devices, in id order.
    std::vector<std::string> GetDeviceNames() const;
    // The name of the device that id -1 (the mapper) opens.
    std::string GetMapperName() const;
    // The sink for a device id, -1 for the mapper; null for an id that names no device.
    std::unique_ptr<IWaveOutSink> CreateSink(int deviceId) const;

private:
    CWaveOutBackend(Kind kind, std::string argument)
        : kind_(kind), argument_(std::move(argument)) {}

    Kind kind_;
    // The mapper's PCM name for ALSA, the capture path for wav, the value itself for None.
    std::string argument_;
};

} // namespace SL
