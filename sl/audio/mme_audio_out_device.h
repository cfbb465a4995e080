#pragma once

#include "gt/runnable.h"
#include "gt/thread.h"
#include "sl/audio/audio_out_device.h"
#include "sl/audio/mme_audio_device_base.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

namespace SL {

// The base of the devices that learn of played buffers through the buffer-done event, which
// their event thread waits on.
class CMmeEventCallbackAudioDeviceBase : public CMmeAudioDeviceBase {
protected:
    CMmeEventCallbackAudioDeviceBase(std::string name, IAudioDeviceFacade* facade)
        : CMmeAudioDeviceBase(std::move(name), facade, EventCallback) {}

    void onBufferDone() override { bufferDoneEvent_.set(); }
};

// The base of the devices that learn of played buffers as messages, handled one by one in
// order on a thread that stands in for the window that receives them.
class CMmeWindowsMessageCallbackAudioDeviceBase : public CMmeAudioDeviceBase {
protected:
    CMmeWindowsMessageCallbackAudioDeviceBase(std::string name, IAudioDeviceFacade* facade);
    ~CMmeWindowsMessageCallbackAudioDeviceBase() override;

    void onBufferDone() override;
    // Handling and stopping exclude each other, so no buffer is written after a stop's reset.
    bool stopPlayback() override;
    // Ends the message thread; called first by the concrete device's destructor.
    void closeWindow();

private:
    // The message loop's runnable: a separate object, so that the loop, started during
    // construction, never makes a virtual call on the device while it is being built.
    class CWindow : public GT::IRunnable {
    public:
        explicit CWindow(CMmeWindowsMessageCallbackAudioDeviceBase* device) : device_(device) {}
        void run() override { device_->pumpMessages(); }

    private:
        CMmeWindowsMessageCallbackAudioDeviceBase* device_;
    };

    void pumpMessages();
    // The handler of one played buffer.
    void handleBufferDone();

    std::mutex messageMutex_;
    std::condition_variable messageArrived_;
    int pendingMessages_ = 0;
    bool closing_ = false;
    std::mutex handlerMutex_;
    CWindow windowRunner_{this};
    std::shared_ptr<GT::AThread> window_;
};

// The output device the application plays through: its event thread refills one buffer
// whenever the platform signals that one has been played.
class CMmeEventCallbackAudioOutDevice : public AAudioOutDevice<CMmeEventCallbackAudioDeviceBase>,
                                        public GT::IRunnable {
public:
    CMmeEventCallbackAudioOutDevice(std::string name, IAudioDeviceFacade* facade);
    ~CMmeEventCallbackAudioOutDevice() override;

    // The event thread loop of one playback.
    void run() override;

protected:
    GT::IRunnable* getEventRunnable() override { return this; }
};

// The message-driven output device. Unlike the event device's thread its handler has no
// natural end of its own, so it finishes a playback when the queue has drained, as the event
// device does; otherwise the device would report playing until stopped.
class CMmeWindowsMessageCallbackAudioOutDevice
    : public AAudioOutDevice<CMmeWindowsMessageCallbackAudioDeviceBase> {
public:
    CMmeWindowsMessageCallbackAudioOutDevice(std::string name, IAudioDeviceFacade* facade);
    ~CMmeWindowsMessageCallbackAudioOutDevice() override;
};

} // namespace SL
