#pragma once

#include "platform/wave_out_sink.h"
#include "sl/audio/audio_device_event.h"
#include "sl/samples/sample_attribute.h"
#include "sl/samples/sample_iterator.h"

#include <cstdint>
#include <memory>
#include <string>

namespace SL {

class IAudioDevice {
public:
    virtual ~IAudioDevice() = default;
    virtual std::string getName() const = 0;
    // True when the device can be opened for the stream's rate, channel count and bit depth.
    virtual bool supportsFormat(const CSampleAttribute& attribute) = 0;
    // How far playback has come, in samples of the stream handed to play(); 0 when idle.
    virtual std::int64_t getPosition() = 0;
    // Listeners are held weakly: the device never keeps one alive.
    virtual void addEventListener(const std::shared_ptr<IAudioDeviceEventListener>& listener) = 0;
};

class IAudioOutDevice : public IAudioDevice {
public:
    // Starts playing the stream; false, with nothing changed, while the device plays or when
    // it cannot play the stream's format.
    virtual bool play(const std::shared_ptr<IInputSampleIterator>& source) = 0;
    // True from a successful play() until the end of the stream has been heard or stop().
    virtual bool isPlaying() const = 0;
    virtual bool stop() = 0;
    // Seconds of sound in one buffer handed to the platform; used from the next play() on.
    virtual void setBufferTime(double seconds) = 0;
    // Why the last play() that returned false could not open the output; empty when the
    // device does not tell.
    virtual CWaveOutOpenFailure getOpenFailure() const { return {}; }
};

} // namespace SL
