#include "sl/audio/mme_audio_device_facade.h"

#include "platform/wave_out.h"
#include "sl/audio/mme_audio_device_base.h"
#include "sl/audio/mme_audio_out_device.h"

namespace SL {

namespace {

// A failing name query leaves the name empty, as an empty capabilities record would.
std::string DeviceName(int id) {
    std::string name;
    if (CWaveOut::GetDeviceName(id, name) != WaveOutResult::NoError) {
        name.clear();
    }
    return name;
}

} // namespace

int CMmeAudioDeviceFacade::getOutputDeviceCount() const {
    return static_cast<int>(CWaveOut::GetDeviceCount());
}

std::vector<std::string> CMmeAudioDeviceFacade::getOutputDeviceNames() const {
    std::vector<std::string> names{DeviceName(CWaveOut::Mapper)};
    const auto devices = CWaveOut::GetDeviceNames();
    names.insert(names.end(), devices.begin(), devices.end());
    return names;
}

std::string CMmeAudioDeviceFacade::getDefaultOutputDeviceName() const {
    return DeviceName(CWaveOut::Mapper);
}

std::shared_ptr<IAudioOutDevice>
CMmeAudioDeviceFacade::createOutputDevice(const std::string& name) {
    switch (kind_) {
    case CMmeAudioDeviceBase::WindowMessageCallback:
        return std::make_shared<CMmeWindowsMessageCallbackAudioOutDevice>(name, this);
    case CMmeAudioDeviceBase::EventCallback:
        return std::make_shared<CMmeEventCallbackAudioOutDevice>(name, this);
    default:
        return nullptr;
    }
}

bool CMmeAudioDeviceFacade::supportsOutputFormat(const std::string& name,
                                                 const CSampleAttribute& attribute) {
    return ProbeWaveOutFormat(name, attribute);
}

} // namespace SL
