#include "sl/audio/ring_bufferer.h"

#include <chrono>
#include <thread>

namespace SL {

namespace {

constexpr auto FillInterval = std::chrono::milliseconds(10);

} // namespace

CRingBufferer::CRingBufferer() : factory_(std::make_shared<CRingSampleBufferFactory>()) {
    factory_->SetTime(DefaultRingTime);
}

CRingBufferer::~CRingBufferer() {
    shutdown();
}

bool CRingBufferer::startFiller(GT::IRunnable* runnable, int priority) {
    if (thread_) {
        return false;
    }
    thread_ = std::make_shared<GT::CThread>(runnable);
    filler_ = thread_.get();
    thread_->setPriority(priority);
    if (!thread_->start()) {
        thread_.reset();
        filler_ = nullptr;
        return false;
    }
    return true;
}

bool CRingBufferer::attach(std::shared_ptr<IInputSampleIterator> source) {
    if (!source || isActive()) {
        return false;
    }
    transformer_ = CreateSampleTransformer(source->GetAttribute().GetBitDepth().GetValue());
    factory_->SetAttribute(source->GetAttribute());
    ring_ = factory_->CreateSampleBuffer();
    if (!transformer_ || !ring_) {
        return false;
    }
    source_ = std::move(source);
    transformer_->Transfer(*source_, *ring_, ISampleTransformer::CopyOnly);
    active_.store(true, std::memory_order_release);
    return true;
}

void CRingBufferer::fill() {
    while (filler_ != nullptr && !filler_->isStopRequested()) {
        if (active_.load(std::memory_order_acquire)) {
            transformer_->Transfer(*source_, *ring_, ISampleTransformer::CopyOnly);
        }
        std::this_thread::sleep_for(FillInterval);
    }
}

void CRingBufferer::shutdown() {
    active_.store(false, std::memory_order_release);
    if (thread_) {
        thread_->requestStop();
        thread_.reset();
    }
    ring_.reset();
    transformer_.reset();
    source_.reset();
}

} // namespace SL
