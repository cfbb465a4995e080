#pragma once

#include "sl/audio/audio_device.h"

#include <memory>
#include <string>
#include <utility>

namespace SL {

// The output-device interface on top of a platform device base B, which supplies the
// operations behind it.
template <class B>
class AAudioOutDevice : public B, public IAudioOutDevice {
public:
    template <class... Arguments>
    explicit AAudioOutDevice(Arguments&&... arguments) : B(std::forward<Arguments>(arguments)...) {}

    std::string getName() const override { return this->name_; }
    bool supportsFormat(const CSampleAttribute& attribute) override {
        return this->supportsOutputFormat(attribute);
    }
    std::int64_t getPosition() override { return B::getPosition(); }
    void addEventListener(const std::shared_ptr<IAudioDeviceEventListener>& listener) override {
        this->addListener(listener);
    }
    bool play(const std::shared_ptr<IInputSampleIterator>& source) override {
        return this->playSource(source);
    }
    bool isPlaying() const override { return this->getTransaction() != nullptr; }
    bool stop() override { return this->stopPlayback(); }
    void setBufferTime(double seconds) override { this->setDeviceBufferTime(seconds); }
    CWaveOutOpenFailure getOpenFailure() const override { return B::getOpenFailure(); }
};

} // namespace SL
