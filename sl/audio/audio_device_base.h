#pragma once

#include "gt/runnable.h"
#include "gt/safe_reference_set.h"
#include "gt/thread.h"
#include "sl/audio/audio_device_event.h"
#include "sl/samples/sample_buffer_factory.h"
#include "sl/samples/sample_iterator.h"
#include "sl/samples/sample_transformer.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace SL {

class IAudioDeviceFacade;

// The platform-independent half of an audio device: its name and buffer factory, the
// transaction in progress (one playback from start to end), the listeners, and a worker
// thread that drops a finished transaction, which is how a device becomes idle again after
// the end of a stream has been heard.
//
// The transaction pointer is set and dropped by the user-interface thread and dropped by the
// worker; a small lock makes those exchanges safe. A transaction is always destroyed outside
// that lock, because its destruction closes the platform device and joins its thread.
class CAudioDeviceBase {
public:
    class ITransaction {
    public:
        virtual ~ITransaction() = default;
        virtual const std::shared_ptr<IInputSampleIterator>& getSource() const = 0;
        virtual bool isOpen() const = 0;
        virtual bool start() = 0;
        virtual bool stopPlayback() { return stop(); }
        virtual bool stop() = 0;
        virtual bool isPlaying() const = 0;
        virtual bool isStopped() const = 0;
        virtual bool isFinished() const = 0;
        // Refills a played buffer from the source (output) and returns the buffer queued again,
        // or null when none was.
        virtual std::shared_ptr<ISampleBuffer>
        processOutputBuffer(const std::shared_ptr<ISampleBuffer>& buffer) = 0;
        // Hands a recorded buffer to the source, an output iterator for input devices.
        virtual std::shared_ptr<ISampleBuffer>
        processInputBuffer(const std::shared_ptr<ISampleBuffer>& buffer) = 0;
        virtual bool isDrained() const = 0;
    };

    // The parts every transaction shares: the stream and the transformer for its bit depth.
    class ATransaction : public ITransaction {
    public:
        explicit ATransaction(std::shared_ptr<IInputSampleIterator> source);

        const std::shared_ptr<IInputSampleIterator>& getSource() const override { return source_; }
        // Copies the source into the buffer and fills what the source could not with silence.
        std::shared_ptr<ISampleBuffer>
        processOutputBuffer(const std::shared_ptr<ISampleBuffer>& buffer) override;
        std::shared_ptr<ISampleBuffer>
        processInputBuffer(const std::shared_ptr<ISampleBuffer>& buffer) override;
        bool isDrained() const override { return !source_ || !source_->IsValid(); }

    protected:
        std::shared_ptr<IInputSampleIterator> source_;
        std::shared_ptr<ISampleTransformer> transformer_;
    };

    // The worker: every 10 ms it drops a finished transaction.
    class CRunner : public GT::IRunnable {
    public:
        explicit CRunner(CAudioDeviceBase* device) : device_(device) {}
        void run() override;

    private:
        CAudioDeviceBase* device_;
    };

    // The device buffer time until setDeviceBufferTime() is called.
    static constexpr double DefaultBufferTime = 0.4;

    CAudioDeviceBase(std::string name, IAudioDeviceFacade* facade,
                     std::shared_ptr<ASampleBufferFactory> bufferFactory);
    virtual ~CAudioDeviceBase();
    CAudioDeviceBase(const CAudioDeviceBase&) = delete;
    CAudioDeviceBase& operator=(const CAudioDeviceBase&) = delete;

    // The position in samples of the stream being played, mapped through its decorators to
    // the samples of the original stream; 0 when idle.
    virtual std::int64_t getPosition();
    virtual void updatePosition() = 0;
    // Frames played by the platform device, as last read.
    virtual std::uint32_t getStoredPosition() const = 0;

    void setDeviceBufferTime(double seconds);
    // The time one device buffer lasts, at least the factory's minimum frames.
    double getDeviceBufferTime() const;

    std::shared_ptr<ITransaction> getTransaction() const;

protected:
    // Installs a transaction (the device is idle); returns false if one exists.
    bool setTransaction(std::shared_ptr<ITransaction> transaction);
    // Takes the transaction out; the caller releases it outside the lock.
    std::shared_ptr<ITransaction> takeTransaction();
    // Takes the transaction out only if it is still this one.
    std::shared_ptr<ITransaction> takeTransactionIf(const ITransaction* expected);

    // Gives the buffer factory the shape of the stream about to play.
    void setBufferAttribute(const CSampleAttribute& attribute);
    std::shared_ptr<ISampleBuffer> createDeviceBuffer();

    void addListener(const std::shared_ptr<IAudioDeviceEventListener>& listener) {
        listeners_.Add(listener);
    }
    void fire(int kind, const ISampleBuffer* buffer) const;

    // Ends the worker and drops any transaction. A concrete device calls it first in its own
    // destructor, so that nothing runs on its members while they are destroyed.
    void shutdownDevice();

    const std::string name_;
    IAudioDeviceFacade* const facade_;
    const std::shared_ptr<ASampleBufferFactory> bufferFactory_;

private:
    void dropFinishedTransaction();

    mutable std::mutex transactionMutex_;
    std::shared_ptr<ITransaction> transaction_;
    GT::CSafeReferenceSet<IAudioDeviceEventListener> listeners_;
    // The factory is read on the device's threads while the user interface may set its time.
    mutable std::mutex bufferFactoryMutex_;
    std::shared_ptr<CRunner> runner_;
    std::shared_ptr<GT::AThread> thread_;
    // The worker reads its own thread object through this pointer, fixed before the thread
    // starts, never through thread_, which the destructor resets while the worker still runs.
    GT::AThread* worker_ = nullptr;
};

} // namespace SL
