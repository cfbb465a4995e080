#include "sl/audio/mme_audio_out_device.h"

#include "sl/audio/audio_device_event.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace SL {

CMmeEventCallbackAudioOutDevice::CMmeEventCallbackAudioOutDevice(std::string name,
                                                                 IAudioDeviceFacade* facade)
    : AAudioOutDevice(std::move(name), facade) {}

CMmeEventCallbackAudioOutDevice::~CMmeEventCallbackAudioOutDevice() {
    // The event thread runs this object's run(): it is joined while the object is whole.
    stopPlayback();
    shutdownDevice();
}

void CMmeEventCallbackAudioOutDevice::run() {
    // The raw pointer is safe: the transaction joins this thread before it is destroyed.
    CTransaction* transaction = getEventTransaction();
    if (transaction == nullptr) {
        return;
    }
    // The open itself signalled the event.
    bufferDoneEvent_.reset();
    // Twice a buffer's time: a lost signal delays a refill, never stops the playback.
    const auto timeout = std::max(
        std::chrono::milliseconds(1),
        std::chrono::milliseconds(static_cast<std::int64_t>(getDeviceBufferTime() * 1000.0 * 2.0)));
    if (transaction->isStopRequested()) {
        return;
    }
    for (;;) {
        bufferDoneEvent_.wait(timeout);
        if (transaction->isStopRequested()) {
            return;
        }
        // Signals that came while the thread was busy merge into one, so every buffer that
        // has been played by now is serviced before waiting again.
        do {
            const auto buffer = transaction->processOutputBuffer(nullptr);
            transaction->updatePosition(storedPosition_);
            fire(CAudioDeviceEvent::BufferProcessed, buffer.get());
            if (transaction->isDrained()) {
                transaction->finish();
                return;
            }
            if (transaction->isStopRequested()) {
                return;
            }
        } while (transaction->isFrontDone());
    }
}

CMmeWindowsMessageCallbackAudioDeviceBase::CMmeWindowsMessageCallbackAudioDeviceBase(
    std::string name, IAudioDeviceFacade* facade)
    : CMmeAudioDeviceBase(std::move(name), facade, WindowMessageCallback) {
    window_ = std::make_shared<GT::CThread>(&windowRunner_);
    if (!window_->start()) {
        // The device cannot receive the platform's messages at all.
        throw std::runtime_error("");
    }
}

CMmeWindowsMessageCallbackAudioDeviceBase::~CMmeWindowsMessageCallbackAudioDeviceBase() {
    closeWindow();
}

void CMmeWindowsMessageCallbackAudioDeviceBase::closeWindow() {
    {
        std::lock_guard lock(messageMutex_);
        closing_ = true;
    }
    messageArrived_.notify_all();
    window_.reset();
}

void CMmeWindowsMessageCallbackAudioDeviceBase::onBufferDone() {
    {
        std::lock_guard lock(messageMutex_);
        ++pendingMessages_;
    }
    messageArrived_.notify_all();
}

void CMmeWindowsMessageCallbackAudioDeviceBase::pumpMessages() {
    std::unique_lock lock(messageMutex_);
    for (;;) {
        messageArrived_.wait(lock, [this] { return closing_ || pendingMessages_ > 0; });
        if (closing_) {
            return;
        }
        --pendingMessages_;
        lock.unlock();
        handleBufferDone();
        lock.lock();
    }
}

void CMmeWindowsMessageCallbackAudioDeviceBase::handleBufferDone() {
    std::lock_guard lock(handlerMutex_);
    const auto transaction = getTransaction();
    auto* mme = static_cast<CTransaction*>(transaction.get());
    // Messages of the open and of a reset arrive as well; only a played buffer is serviced.
    if (mme == nullptr || !mme->isPlaying() || !mme->isFrontDone()) {
        return;
    }
    const auto buffer = mme->processOutputBuffer(nullptr);
    mme->updatePosition(storedPosition_);
    fire(CAudioDeviceEvent::BufferProcessed, buffer.get());
    if (mme->isDrained()) {
        mme->finish();
    }
}

bool CMmeWindowsMessageCallbackAudioDeviceBase::stopPlayback() {
    std::lock_guard lock(handlerMutex_);
    return CMmeAudioDeviceBase::stopPlayback();
}

CMmeWindowsMessageCallbackAudioOutDevice::CMmeWindowsMessageCallbackAudioOutDevice(
    std::string name, IAudioDeviceFacade* facade)
    : AAudioOutDevice(std::move(name), facade) {}

CMmeWindowsMessageCallbackAudioOutDevice::~CMmeWindowsMessageCallbackAudioOutDevice() {
    stopPlayback();
    closeWindow();
    shutdownDevice();
}

} // namespace SL
