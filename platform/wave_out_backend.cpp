#include "platform/wave_out_backend.h"

#include "platform/alsa_wave_out_sink.h"
#include "platform/clock_wave_out_sink.h"

#include <alsa/asoundlib.h>

#include <cstdlib>
#include <mutex>

namespace SL {

namespace {

constexpr const char* MapperName = "default";

// ALSA prints its configuration complaints (no card, unknown PCM) to standard error; the
// program reports failures in its own words, so those lines are kept quiet.
void QuietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

void SilenceAlsa() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(&QuietAlsaErrors); });
}

std::vector<std::string> AlsaPlaybackNames() {
    SilenceAlsa();
    std::vector<std::string> names;
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0 || hints == nullptr) {
        return names;
    }
    for (void** hint = hints; *hint != nullptr; ++hint) {
        char* name = snd_device_name_get_hint(*hint, "NAME");
        char* direction = snd_device_name_get_hint(*hint, "IOID");
        // No direction means the PCM does both.
        if (name != nullptr && (direction == nullptr || std::string(direction) == "Output")) {
            names.emplace_back(name);
        }
        std::free(name);
        std::free(direction);
    }
    snd_device_name_free_hint(hints);
    return names;
}

} // namespace

CWaveOutBackend CWaveOutBackend::FromEnvironment() {
    const char* choice = std::getenv(EnvironmentVariable);
    return Parse(choice != nullptr ? choice : "");
}

CWaveOutBackend CWaveOutBackend::Parse(const std::string& choice) {
    if (choice.empty() || choice == "alsa") {
        return {Kind::Alsa, MapperName};
    }
    if (choice.starts_with("alsa:") && choice.size() > 5) {
        return {Kind::Alsa, choice.substr(5)};
    }
    if (choice == "null") {
        return {Kind::Null, {}};
    }
    if (choice.starts_with("wav:") && choice.size() > 4) {
        return {Kind::Wav, choice.substr(4)};
    }
    return {Kind::None, choice};
}

std::vector<std::string> CWaveOutBackend::GetDeviceNames() const {
    switch (kind_) {
    case Kind::Alsa:
        return AlsaPlaybackNames();
    case Kind::Null:
        return {"null"};
    case Kind::Wav:
        return {"wav"};
    case Kind::None:
        break;
    }
    return {};
}

std::string CWaveOutBackend::GetMapperName() const {
    return kind_ == Kind::Alsa ? argument_ : (kind_ == Kind::None ? "" : MapperName);
}

std::unique_ptr<IWaveOutSink> CWaveOutBackend::CreateSink(int deviceId) const {
    if (kind_ == Kind::None || deviceId < -1) {
        return nullptr;
    }
    std::string alsaName = argument_;
    if (deviceId >= 0) {
        const auto names = GetDeviceNames();
        if (static_cast<std::size_t>(deviceId) >= names.size()) {
            return nullptr;
        }
        alsaName = names[static_cast<std::size_t>(deviceId)];
    }
    switch (kind_) {
    case Kind::Alsa:
        SilenceAlsa();
        return std::make_unique<CAlsaWaveOutSink>(alsaName);
    case Kind::Null:
        return std::make_unique<CClockWaveOutSink>();
    case Kind::Wav:
        return std::make_unique<CClockWaveOutSink>(argument_);
    case Kind::None:
        break;
    }
    return nullptr;
}

} // namespace SL
