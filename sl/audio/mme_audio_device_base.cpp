#include "sl/audio/mme_audio_device_base.h"

#include "sl/audio/audio_device_facade.h"
#include "sl/samples/sample_type.h"

#include <chrono>
#include <cmath>
#include <thread>

namespace SL {

namespace {

constexpr auto StillPlayingRetry = std::chrono::milliseconds(10);

CMmeAudioDeviceBase::IBufferMixin* HeaderOf(const std::shared_ptr<ISampleBuffer>& buffer) {
    return dynamic_cast<CMmeAudioDeviceBase::IBufferMixin*>(buffer.get());
}

} // namespace

CWaveOutFormat MakeWaveOutFormat(const CSampleAttribute& attribute) {
    const int depth = attribute.GetBitDepth().GetValue();
    const int channels = std::max(0, attribute.GetChannelCount());
    const double rate = std::round(attribute.GetSampleRate());
    CWaveOutFormat format;
    format.formatTag = (depth & 0x10000) != 0 ? CWaveOutFormat::Pcm : CWaveOutFormat::IeeeFloat;
    format.channels = static_cast<std::uint16_t>(std::min(channels, 0xFFFF));
    format.samplesPerSecond =
        rate > 0.0 && rate < 4294967295.0 ? static_cast<std::uint32_t>(rate) : 0;
    format.blockAlign = static_cast<std::uint16_t>(format.channels * SampleWidthOf(depth));
    format.averageBytesPerSecond = format.samplesPerSecond * format.blockAlign;
    format.bitsPerSample = static_cast<std::uint16_t>(depth & 0xFFFF);
    format.extraSize = 0;
    return format;
}

bool ProbeWaveOutFormat(const std::string& deviceName, const CSampleAttribute& attribute,
                        CWaveOutOpenFailure* failure) {
    std::unique_ptr<CWaveOut> stream;
    if (CWaveOut::Open(stream, CMmeAudioDeviceBase::getDeviceId(deviceName),
                       MakeWaveOutFormat(attribute), {}, failure) != WaveOutResult::NoError) {
        return false;
    }
    stream->Close();
    return true;
}

std::shared_ptr<ISampleBuffer> CMmeAudioDeviceBase::CDeviceBufferFactory::CreateSampleBuffer() {
    const auto& shape = GetAttribute();
    if (shape.GetChannelCount() <= 0) {
        return nullptr;
    }
    const CSampleAttribute attribute(shape.GetBitDepth(), shape.GetSampleRate(),
                                     shape.GetChannelCount(), GetFrameCount());
    return VisitStreamableTag<std::shared_ptr<ISampleBuffer>>(
        shape.GetBitDepth().GetValue(), [&](auto tag) -> std::shared_ptr<ISampleBuffer> {
            return std::make_shared<CBuffer<decltype(tag)::value>>(attribute);
        });
}

CMmeAudioDeviceBase::CTransaction::CTransaction(CMmeAudioDeviceBase* device, int deviceId,
                                                std::shared_ptr<IInputSampleIterator> source)
    : ATransaction(std::move(source)), device_(device) {
    if (!source_ || !transformer_) {
        return;
    }
    format_ = MakeWaveOutFormat(source_->GetAttribute());
    // The platform reports on its own thread; the device turns that into its notification.
    CMmeAudioDeviceBase* owner = device_;
    CWaveOut::Open(
        handle_, deviceId, format_,
        [owner](WaveOutMessage, CWaveOutHeader*) { owner->onBufferDone(); }, &openFailure_);
    if (!handle_) {
        return;
    }
    for (int i = 0; i < device_->bufferCount_; ++i) {
        auto buffer = device_->createDeviceBuffer();
        if (!buffer || HeaderOf(buffer) == nullptr) {
            // Without its buffers the device cannot play: leave it closed.
            handle_.reset();
            queue_.clear();
            break;
        }
        queue_.push_back(std::move(buffer));
    }
    queued_ = queue_.size();
}

CMmeAudioDeviceBase::CTransaction::~CTransaction() {
    stop();
    if (handle_) {
        // After the reset every buffer has come back; none may be freed while the platform
        // still holds it.
        for (const auto& buffer : queue_) {
            handle_->UnprepareHeader(HeaderOf(buffer)->getHeader());
        }
        handle_->Close();
        handle_.reset();
    }
    eventThread_.reset();
    queue_.clear();
}

bool CMmeAudioDeviceBase::CTransaction::isStopRequested() const {
    return eventThreadView_ != nullptr && eventThreadView_->isStopRequested();
}

bool CMmeAudioDeviceBase::CTransaction::isFrontDone() const {
    return !queue_.empty() && HeaderOf(queue_.front())->getHeader().HasFlag(CWaveOutHeader::Done);
}

void CMmeAudioDeviceBase::CTransaction::updatePosition(std::atomic<std::uint32_t>& position) const {
    std::uint32_t samples = 0;
    if (handle_ && handle_->GetPosition(samples) == WaveOutResult::NoError) {
        position.store(samples, std::memory_order_relaxed);
    }
}

void CMmeAudioDeviceBase::CTransaction::returnToFront(std::shared_ptr<ISampleBuffer> buffer) {
    queue_.push_front(std::move(buffer));
    queued_ = queue_.size();
}

std::shared_ptr<ISampleBuffer>
CMmeAudioDeviceBase::CTransaction::processOutputBuffer(const std::shared_ptr<ISampleBuffer>&) {
    if (queue_.empty()) {
        return nullptr;
    }
    auto buffer = std::move(queue_.front());
    queue_.pop_front();
    CWaveOutHeader& header = HeaderOf(buffer)->getHeader();
    while (handle_->UnprepareHeader(header) == WaveOutResult::StillPlaying) {
        // A stop must not wait for the buffer; it stays queued, so it is not freed while
        // the platform still reads it.
        if (isStopRequested()) {
            returnToFront(std::move(buffer));
            return nullptr;
        }
        std::this_thread::sleep_for(StillPlayingRetry);
    }
    if (!source_->IsValid()) {
        queued_ = queue_.size();
        return nullptr;
    }
    transformer_->Transfer(*source_, *buffer, ISampleTransformer::FillDestination);
    queue_.push_back(buffer);
    queued_ = queue_.size();
    handle_->PrepareHeader(header);
    handle_->Write(header);
    return buffer;
}

bool CMmeAudioDeviceBase::CTransaction::start() {
    if (!isOpen()) {
        return false;
    }
    if (isPlaying()) {
        return true;
    }
    // Every buffer is filled and written while the device is paused, so that playback
    // begins with the whole queue ready.
    handle_->Pause();
    for (int i = 0; i < device_->bufferCount_; ++i) {
        processOutputBuffer(nullptr);
    }
    // Playing before the event thread exists, so that a drain it sees is never overwritten.
    state_ = Playing;
    if (GT::IRunnable* runnable = device_->getEventRunnable()) {
        device_->eventTransaction_.store(this, std::memory_order_release);
        eventThread_ = std::make_shared<GT::CThread>(runnable);
        eventThreadView_ = eventThread_.get();
        eventThread_->setPriority(GT::AThread::TimeCriticalPriority);
        if (!eventThread_->start()) {
            eventThread_.reset();
            eventThreadView_ = nullptr;
            state_ = Stopped;
            handle_->Reset();
            return false;
        }
    }
    handle_->Restart();
    return true;
}

bool CMmeAudioDeviceBase::CTransaction::stop() {
    if (!isOpen()) {
        return false;
    }
    if (isStopped() || isFinished()) {
        return true;
    }
    state_ = Stopped;
    if (eventThread_) {
        eventThread_->requestStop();
        // Wakes the thread at once rather than at its next time-out.
        device_->bufferDoneEvent_.set();
        // Joined before the reset, so no buffer is refilled after it.
        eventThread_.reset();
    }
    handle_->Reset();
    return true;
}

int CMmeAudioDeviceBase::getDeviceId(const std::string& name) {
    // Listing the devices asks the system each time: it is done once for the whole walk.
    const auto names = CWaveOut::GetDeviceNames();
    for (std::size_t id = 0; id < names.size(); ++id) {
        if (names[id] == name) {
            return static_cast<int>(id);
        }
    }
    return CWaveOut::Mapper;
}

CMmeAudioDeviceBase::CMmeAudioDeviceBase(std::string name, IAudioDeviceFacade* facade,
                                         int callbackKind)
    : CAudioDeviceBase(std::move(name), facade, std::make_shared<CDeviceBufferFactory>()),
      callbackKind_(callbackKind) {}

void CMmeAudioDeviceBase::updatePosition() {
    if (const auto transaction = getTransaction()) {
        static_cast<CTransaction*>(transaction.get())->updatePosition(storedPosition_);
    }
}

bool CMmeAudioDeviceBase::supportsOutputFormat(const CSampleAttribute& attribute) {
    return facade_ != nullptr ? facade_->supportsOutputFormat(name_, attribute)
                              : ProbeWaveOutFormat(name_, attribute);
}

bool CMmeAudioDeviceBase::playSource(const std::shared_ptr<IInputSampleIterator>& source) {
    if (!source || getTransaction()) {
        return false;
    }
    openFailure_ = {};
    if (!supportsOutputFormat(source->GetAttribute())) {
        // The facade answers yes or no; the open is tried once more for the reason.
        ProbeWaveOutFormat(name_, source->GetAttribute(), &openFailure_);
        return false;
    }
    setBufferAttribute(source->GetAttribute());
    auto transaction = std::make_shared<CTransaction>(this, getDeviceId(name_), source);
    if (!setTransaction(transaction)) {
        return false;
    }
    if (transaction->isOpen() && transaction->start()) {
        return true;
    }
    openFailure_ = transaction->openFailure();
    takeTransactionIf(transaction.get()).reset();
    return false;
}

bool CMmeAudioDeviceBase::stopPlayback() {
    auto transaction = getTransaction();
    if (!transaction) {
        return true;
    }
    updatePosition();
    transaction->stop();
    takeTransactionIf(transaction.get()).reset();
    transaction.reset();
    return true;
}

} // namespace SL
