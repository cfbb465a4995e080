#include "app/waveform_worker.h"

#include <utility>

namespace ZQ3 {

CWaveformWorker::CWaveformWorker() : thread_([this] { run(); }) {}

CWaveformWorker::~CWaveformWorker() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        waiting_ = nullptr;
        if (running_) {
            running_->store(true);
        }
    }
    wake_.notify_all();
    thread_.join();
}

void CWaveformWorker::submit(Job job) {
    {
        std::lock_guard lock(mutex_);
        waiting_ = std::move(job);
        if (running_) {
            running_->store(true);
        }
    }
    wake_.notify_all();
}

void CWaveformWorker::cancel() {
    std::lock_guard lock(mutex_);
    waiting_ = nullptr;
    if (running_) {
        running_->store(true);
    }
}

void CWaveformWorker::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || waiting_; });
        if (stopping_) {
            return;
        }
        Job job = std::move(waiting_);
        waiting_ = nullptr;
        auto cancelled = std::make_shared<std::atomic<bool>>(false);
        running_ = cancelled;
        lock.unlock();
        job(*cancelled);
        // The job's captures go before the lock is taken again.
        job = nullptr;
        lock.lock();
        running_.reset();
    }
}

} // namespace ZQ3
