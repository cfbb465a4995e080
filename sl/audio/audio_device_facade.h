#pragma once

#include "sl/audio/audio_device.h"
#include "sl/samples/sample_attribute.h"

#include <memory>
#include <string>
#include <vector>

namespace SL {

// Lists the audio devices of the system and makes device objects for them.
class IAudioDeviceFacade {
public:
    virtual ~IAudioDeviceFacade() = default;
    virtual int getInputDeviceCount() const = 0;
    virtual int getOutputDeviceCount() const = 0;
    // The default device's name first, then every numbered device.
    virtual std::vector<std::string> getInputDeviceNames() const = 0;
    virtual std::vector<std::string> getOutputDeviceNames() const = 0;
    virtual std::string getDefaultInputDeviceName() const = 0;
    virtual std::string getDefaultOutputDeviceName() const = 0;
    virtual std::shared_ptr<IAudioDevice> createInputDevice(const std::string& name) = 0;
    virtual std::shared_ptr<IAudioOutDevice> createOutputDevice(const std::string& name) = 0;
    virtual bool supportsInputFormat(const std::string& name,
                                     const CSampleAttribute& attribute) = 0;
    virtual bool supportsOutputFormat(const std::string& name,
                                      const CSampleAttribute& attribute) = 0;
};

} // namespace SL
