#include "sl/audio/audio_device_base.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace SL {

namespace {

constexpr auto WorkerPollInterval = std::chrono::milliseconds(10);

} // namespace

CAudioDeviceBase::ATransaction::ATransaction(std::shared_ptr<IInputSampleIterator> source)
    : source_(std::move(source)) {
    if (source_) {
        transformer_ = CreateSampleTransformer(source_->GetAttribute().GetBitDepth().GetValue());
    }
}

std::shared_ptr<ISampleBuffer>
CAudioDeviceBase::ATransaction::processOutputBuffer(const std::shared_ptr<ISampleBuffer>& buffer) {
    if (transformer_ && source_ && buffer) {
        transformer_->Transfer(*source_, *buffer, ISampleTransformer::FillDestination);
    }
    return buffer;
}

std::shared_ptr<ISampleBuffer>
CAudioDeviceBase::ATransaction::processInputBuffer(const std::shared_ptr<ISampleBuffer>& buffer) {
    auto* destination = dynamic_cast<IOutputSampleIterator*>(source_.get());
    if (transformer_ && destination != nullptr && buffer) {
        transformer_->Transfer(*buffer, *destination, ISampleTransformer::CopyOnly);
    }
    return buffer;
}

void CAudioDeviceBase::CRunner::run() {
    device_->dropFinishedTransaction();
}

CAudioDeviceBase::CAudioDeviceBase(std::string name, IAudioDeviceFacade* facade,
                                   std::shared_ptr<ASampleBufferFactory> bufferFactory)
    : name_(std::move(name)), facade_(facade), bufferFactory_(std::move(bufferFactory)) {
    bufferFactory_->SetTime(DefaultBufferTime);
    runner_ = std::make_shared<CRunner>(this);
    thread_ = std::make_shared<GT::CThread>(runner_.get());
    worker_ = thread_.get();
    thread_->setPriority(GT::AThread::NormalPriority);
    thread_->start();
}

CAudioDeviceBase::~CAudioDeviceBase() {
    shutdownDevice();
}

void CAudioDeviceBase::shutdownDevice() {
    if (thread_) {
        thread_->requestStop();
        thread_.reset();
    }
    runner_.reset();
    takeTransaction().reset();
}

void CAudioDeviceBase::dropFinishedTransaction() {
    while (!worker_->isStopRequested()) {
        std::shared_ptr<ITransaction> finished;
        {
            std::lock_guard lock(transactionMutex_);
            if (transaction_ && transaction_->isFinished()) {
                finished = std::move(transaction_);
            }
        }
        // Closing the platform device happens here, outside the lock.
        finished.reset();
        std::this_thread::sleep_for(WorkerPollInterval);
    }
}

std::int64_t CAudioDeviceBase::getPosition() {
    const auto transaction = getTransaction();
    if (!transaction || !transaction->getSource()) {
        return 0;
    }
    updatePosition();
    const auto& source = transaction->getSource();
    // The platform counts frames; the decorators map sample positions.
    const std::int64_t channels = std::max(1, source->GetAttribute().GetChannelCount());
    return source->MapPosition(std::int64_t{getStoredPosition()} * channels);
}

void CAudioDeviceBase::setDeviceBufferTime(double seconds) {
    std::lock_guard lock(bufferFactoryMutex_);
    bufferFactory_->SetTime(seconds);
}

double CAudioDeviceBase::getDeviceBufferTime() const {
    std::lock_guard lock(bufferFactoryMutex_);
    return bufferFactory_->GetEffectiveTime();
}

void CAudioDeviceBase::setBufferAttribute(const CSampleAttribute& attribute) {
    std::lock_guard lock(bufferFactoryMutex_);
    bufferFactory_->SetAttribute(attribute);
}

std::shared_ptr<ISampleBuffer> CAudioDeviceBase::createDeviceBuffer() {
    std::lock_guard lock(bufferFactoryMutex_);
    return bufferFactory_->CreateSampleBuffer();
}

std::shared_ptr<CAudioDeviceBase::ITransaction> CAudioDeviceBase::getTransaction() const {
    std::lock_guard lock(transactionMutex_);
    return transaction_;
}

bool CAudioDeviceBase::setTransaction(std::shared_ptr<ITransaction> transaction) {
    std::lock_guard lock(transactionMutex_);
    if (transaction_) {
        return false;
    }
    transaction_ = std::move(transaction);
    return true;
}

std::shared_ptr<CAudioDeviceBase::ITransaction> CAudioDeviceBase::takeTransaction() {
    std::lock_guard lock(transactionMutex_);
    return std::move(transaction_);
}

std::shared_ptr<CAudioDeviceBase::ITransaction>
CAudioDeviceBase::takeTransactionIf(const ITransaction* expected) {
    std::lock_guard lock(transactionMutex_);
    if (transaction_.get() != expected) {
        return nullptr;
    }
    return std::move(transaction_);
}

void CAudioDeviceBase::fire(int kind, const ISampleBuffer* buffer) const {
    const auto listeners = listeners_.Alive();
    if (listeners.empty()) {
        return;
    }
    const CAudioDeviceEvent event(this, kind, buffer);
    for (const auto& listener : listeners) {
        listener->onEvent(event);
    }
}

} // namespace SL
