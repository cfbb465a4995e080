#pragma once

#include "gt/auto_reset_event.h"
#include "gt/thread.h"
#include "platform/wave_out.h"
#include "sl/audio/audio_device_base.h"
#include "sl/samples/sample_buffer.h"
#include "sl/samples/sample_buffer_factory.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

namespace SL {

// The PCM format the platform is asked for, from a stream's rate, channel count and bit
// depth: integer depths are PCM, the others floating point.
CWaveOutFormat MakeWaveOutFormat(const CSampleAttribute& attribute);

// Whether the named device opens for the stream's format: the device is really opened, and
// closed again at once. When it does not, failure (if given) says why.
bool ProbeWaveOutFormat(const std::string& deviceName, const CSampleAttribute& attribute,
                        CWaveOutOpenFailure* failure = nullptr);

// The half of a waveform-audio output device shared by its two callback variants: the
// platform device id for a name, the device buffers, the stored position and the transaction
// that owns one open platform device and its queue of buffers.
class CMmeAudioDeviceBase : public CAudioDeviceBase {
public:
    static constexpr int WindowMessageCallback = 0;
    static constexpr int EventCallback = 1;
    static constexpr int BufferCount = 4;

    class IBufferMixin {
    public:
        virtual ~IBufferMixin() = default;
        virtual CWaveOutHeader& getHeader() = 0;
    };

    // A device buffer: sample memory with the platform header that points at it.
    template <int Tag>
    class CBuffer : public CSampleBuffer<Tag>, public IBufferMixin {
    public:
        explicit CBuffer(const CSampleAttribute& attribute) : CSampleBuffer<Tag>(attribute) {
            header_.data = this->GetFirst();
            header_.bufferLength = static_cast<std::uint32_t>(this->GetLast() - this->GetFirst());
        }
        CWaveOutHeader& getHeader() override { return header_; }

    private:
        CWaveOutHeader header_;
    };

    class CDeviceBufferFactory : public ASampleBufferFactory {
    public:
        // A CBuffer of the factory's bit depth, channel count and frame count; empty for a bit
        // depth without device buffers.
        std::shared_ptr<ISampleBuffer> CreateSampleBuffer() override;
    };

    class CTransaction : public CAudioDeviceBase::ATransaction {
    public:
        enum State { Opened = 0, Playing = 1, Stopped = 2, Finished = 3 };

        CTransaction(CMmeAudioDeviceBase* device, int deviceId,
                     std::shared_ptr<IInputSampleIterator> source);
        ~CTransaction() override;

        bool isOpen() const override { return handle_ != nullptr; }
        // Why the platform device did not open.
        const CWaveOutOpenFailure& openFailure() const { return openFailure_; }
        bool start() override;
        bool stop() override;
        bool isPlaying() const override { return state_ == Playing && queued_ != 0; }
        bool isStopped() const override { return state_ == Stopped; }
        bool isFinished() const override { return state_ == Finished; }
        // Takes the oldest buffer back once played and, while the source lasts, refills and
        // queues it again; returns it, or null when it left the queue for good.
        std::shared_ptr<ISampleBuffer>
        processOutputBuffer(const std::shared_ptr<ISampleBuffer>& buffer = nullptr) override;
        bool isDrained() const override { return queued_ == 0; }

        // Whether the oldest queued buffer has been played, so servicing it will not wait.
        bool isFrontDone() const;
        void finish() { state_ = Finished; }
        bool isStopRequested() const;
        void updatePosition(std::atomic<std::uint32_t>& position) const;

    private:
        void returnToFront(std::shared_ptr<ISampleBuffer> buffer);

        CMmeAudioDeviceBase* device_;
        std::deque<std::shared_ptr<ISampleBuffer>> queue_;
        // The queue's length, for threads other than the one servicing the queue.
        std::atomic<std::size_t> queued_{0};
        std::shared_ptr<GT::AThread> eventThread_;
        // Read by the event thread itself; fixed before it starts, unlike eventThread_.
        GT::AThread* eventThreadView_ = nullptr;
        std::unique_ptr<CWaveOut> handle_;
        CWaveOutOpenFailure openFailure_;
        CWaveOutFormat format_;
        std::atomic<int> state_{Opened};
    };

    // Walks the numbered devices for the first whose name matches byte for byte; the mapper
    // when none does.
    static int getDeviceId(const std::string& name);

    void updatePosition() override;
    std::uint32_t getStoredPosition() const override {
        return storedPosition_.load(std::memory_order_relaxed);
    }
    int getCallbackKind() const { return callbackKind_; }
    // Why the last play() that failed did; empty when the device refused nothing yet.
    const CWaveOutOpenFailure& getOpenFailure() const { return openFailure_; }

protected:
    CMmeAudioDeviceBase(std::string name, IAudioDeviceFacade* facade, int callbackKind);

    // The platform reports a played buffer. Called on the platform's thread.
    virtual void onBufferDone() = 0;
    // The thread that services the queue during a playback; null when the platform's
    // notifications are serviced elsewhere.
    virtual GT::IRunnable* getEventRunnable() { return nullptr; }

    bool supportsOutputFormat(const CSampleAttribute& attribute);
    bool playSource(const std::shared_ptr<IInputSampleIterator>& source);
    virtual bool stopPlayback();
    // The transaction whose queue the event thread services; set before that thread starts.
    CTransaction* getEventTransaction() const {
        return eventTransaction_.load(std::memory_order_acquire);
    }

    const int callbackKind_;
    const int bufferCount_ = BufferCount;
    std::atomic<std::uint32_t> storedPosition_{0};
    GT::CAutoResetEvent bufferDoneEvent_;

private:
    std::atomic<CTransaction*> eventTransaction_{nullptr};
    // Written and read by the thread that calls play().
    CWaveOutOpenFailure openFailure_;
};

} // namespace SL
