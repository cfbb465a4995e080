#include "app/channel_pair_writer.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace ZQ3 {

namespace {

bool IsFreshMonoWriter(const SL::CVexaFileOutputSampleIterator* writer) {
    return writer != nullptr && writer->GetAttribute().GetChannelCount() == 1 && writer->IsGood() &&
           writer->IsValid() && writer->GetSampleCount() == 0;
}

} // namespace

CChannelPairWriter::CChannelPairWriter(std::shared_ptr<SL::CVexaFileOutputSampleIterator> left,
                                       std::shared_ptr<SL::CVexaFileOutputSampleIterator> right)
    : left_(std::move(left)), right_(std::move(right)) {
    if (!IsFreshMonoWriter(left_.get()) || !IsFreshMonoWriter(right_.get()) ||
        left_->GetBytesWritten() != right_->GetBytesWritten()) {
        return;
    }
    for (CChunk& chunk : chunks_) {
        chunk.samples.resize(2 * kChunkFrames);
    }
    try {
        worker_ = std::thread([this] { encodeRight(); });
    } catch (const std::system_error&) {
        return;
    }
    good_ = true;
}

CChannelPairWriter::~CChannelPairWriter() {
    stopWorker(false);
}

std::int64_t CChannelPairWriter::Room() const {
    if (!good_) {
        return 0;
    }
    // The left channel's writer is as far as the chunks handed over; the right one catches up
    // with it before Finish. The chunk being filled is not written yet.
    return 2 * left_->Room() - static_cast<std::int64_t>(filled_);
}

std::size_t CChannelPairWriter::Write(const std::int16_t* values, std::size_t count) {
    std::size_t taken = 0;
    while (taken < count && IsValid()) {
        if (filling_ == nullptr) {
            takeFreeChunk();
        }
        const std::size_t run = static_cast<std::size_t>(std::min<std::int64_t>(
            {static_cast<std::int64_t>(count - taken),
             static_cast<std::int64_t>(2 * kChunkFrames - filled_), Room()}));
        std::memcpy(filling_ + filled_, values + taken, run * sizeof(std::int16_t));
        filled_ += run;
        taken += run;
        if (filled_ == 2 * kChunkFrames) {
            handOver();
        }
    }
    return taken;
}

void CChannelPairWriter::takeFreeChunk() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return produced_ - encoded_ < kChunks; });
    filling_ = chunks_[produced_ % kChunks].samples.data();
    filled_ = 0;
}

void CChannelPairWriter::handOver() {
    const std::size_t count = filled_;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        chunks_[produced_ % kChunks].count = count;
        ++produced_;
    }
    changed_.notify_all();
    // The worker is meanwhile coding the right channel of the same chunk; both only read it.
    // A chunk always holds whole frames: it is handed over full, or padded by Finish.
    const std::size_t leftCount = count / 2;
    if (left_->WriteSpaced(filling_, leftCount, 2) != leftCount) {
        good_ = false;
    }
    filling_ = nullptr;
    filled_ = 0;
}

void CChannelPairWriter::encodeRight() {
    while (true) {
        std::size_t slot = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || closing_ || produced_ != encoded_; });
            if (stopping_ || produced_ == encoded_) {
                return;
            }
            slot = encoded_ % kChunks;
        }
        // The chunk stays unchanged until encoded_ counts it.
        const CChunk& chunk = chunks_[slot];
        const std::size_t rightCount = chunk.count / 2;
        if (rightGood_.load() &&
            (right_->WriteSpaced(chunk.samples.data() + 1, rightCount, 2) != rightCount ||
             !right_->IsGood())) {
            rightGood_.store(false);
        }
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            ++encoded_;
        }
        changed_.notify_all();
    }
}

void CChannelPairWriter::stopWorker(bool drain) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        (drain ? closing_ : stopping_) = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
}

bool CChannelPairWriter::Finish() {
    if (finished_) {
        return finishResult_;
    }
    bool success = IsGood();
    if (success && filled_ > 0) {
        // A last odd sample is a left one: the right channel's file gets a silent one beside
        // it, as the stereo writer pads its last frame.
        if (filled_ % 2 != 0) {
            filling_[filled_++] = 0;
        }
        handOver();
    }
    stopWorker(success);
    finished_ = true;
    // Both files are finished and flushed even after a failure, so that they close cleanly.
    const bool leftFinished = left_ && left_->Finish();
    const bool rightFinished = right_ && right_->Finish();
    finishResult_ = success && IsGood() && leftFinished && rightFinished;
    return finishResult_;
}

} // namespace ZQ3
