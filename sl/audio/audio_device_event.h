#pragma once

#include "gt/event.h"

namespace SL {

class CAudioDeviceBase;
class ISampleBuffer;

// Raised by a device on its own thread; its source is the device's CAudioDeviceBase address.
class CAudioDeviceEvent : public GT::CEvent {
public:
    // A device buffer has been played and refilled; the only kind raised.
    static constexpr int BufferProcessed = 1;

    CAudioDeviceEvent(const CAudioDeviceBase* device, int kind, const ISampleBuffer* buffer)
        : GT::CEvent(device), kind_(kind), buffer_(buffer) {}

    int getKind() const { return kind_; }
    // The buffer just refilled and queued again; null when none was.
    const ISampleBuffer* getBuffer() const { return buffer_; }

private:
    int kind_;
    const ISampleBuffer* buffer_;
};

class IAudioDeviceEventListener {
public:
    virtual ~IAudioDeviceEventListener() = default;
    // Called on the device's thread: keep it short and do not call back into the device.
    virtual void onEvent(const CAudioDeviceEvent& event) = 0;
};

} // namespace SL
