#pragma once

#include "sl/audio/audio_device_facade.h"

namespace SL {

// Lists the waveform-audio output devices of the platform layer and makes devices of one
// callback kind. There is no recording side: input counts are 0 and no input device exists.
class CMmeAudioDeviceFacade : public IAudioDeviceFacade {
public:
    // 0 makes message-driven devices, 1 event-driven ones; any other kind makes none.
    explicit CMmeAudioDeviceFacade(int kind) : kind_(kind) {}

    int getInputDeviceCount() const override { return 0; }
    int getOutputDeviceCount() const override;
    std::vector<std::string> getInputDeviceNames() const override { return {}; }
    std::vector<std::string> getOutputDeviceNames() const override;
    std::string getDefaultInputDeviceName() const override { return {}; }
    std::string getDefaultOutputDeviceName() const override;
    std::shared_ptr<IAudioDevice> createInputDevice(const std::string&) override { return nullptr; }
    std::shared_ptr<IAudioOutDevice> createOutputDevice(const std::string& name) override;
    bool supportsInputFormat(const std::string&, const CSampleAttribute&) override { return false; }
    bool supportsOutputFormat(const std::string& name, const CSampleAttribute& attribute) override;

    int getKind() const { return kind_; }

private:
    int kind_;
};

} // namespace SL
