#include "app/channel_pair_reader.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace ZQ3 {

CChannelPairReader::CChannelPairReader(std::shared_ptr<SL::CVexaFileInputSampleIterator> left,
                                       std::shared_ptr<SL::CVexaFileInputSampleIterator> right)
    : left_(std::move(left)), right_(std::move(right)) {
    if (!left_ || !right_ || left_->GetAttribute().GetChannelCount() != 1 ||
        right_->GetAttribute().GetChannelCount() != 1 ||
        left_->GetAttribute().GetLength() != right_->GetAttribute().GetLength() ||
        !left_->IsGood() || !right_->IsGood()) {
        return;
    }
    frames_ = left_->GetAttribute().GetLength();
    total_ = 2 * frames_;
    for (CChunk& chunk : chunks_) {
        chunk.samples.resize(2 * kChunkFrames);
    }
    good_ = true;
    try {
        worker_ = std::thread([this] { decodeRight(); });
    } catch (const std::system_error&) {
        good_ = false;
        return;
    }
    if (total_ > 0) {
        takeNextChunk();
    }
}

CChannelPairReader::~CChannelPairReader() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
}

void CChannelPairReader::decodeRight() {
    std::int64_t remaining = frames_;
    while (remaining > 0) {
        std::size_t slot = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || produced_ - consumed_ < kChunks; });
            if (stopping_) {
                return;
            }
            slot = produced_ % kChunks;
        }
        // The chunk is the worker's alone until produced_ counts it.
        CChunk& chunk = chunks_[slot];
        const std::size_t wanted =
            static_cast<std::size_t>(std::min<std::int64_t>(remaining, kChunkFrames));
        const std::size_t read = right_->ReadSpaced(chunk.samples.data() + 1, wanted, 2);
        chunk.good = read == wanted && right_->IsGood();
        remaining -= static_cast<std::int64_t>(read);
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            ++produced_;
        }
        changed_.notify_all();
        if (!chunk.good) {
            return;
        }
    }
}

void CChannelPairReader::takeNextChunk() {
    std::size_t slot = 0;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (holdsChunk_) {
            ++consumed_;
            holdsChunk_ = false;
        }
        changed_.notify_all();
        changed_.wait(lock, [this] { return produced_ != consumed_; });
        slot = consumed_ % kChunks;
    }
    holdsChunk_ = true;
    CChunk& chunk = chunks_[slot];
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::int64_t>(frames_ - delivered_ / 2, kChunkFrames));
    // The worker is meanwhile decoding the right channel of the chunks after this one.
    const std::size_t read = left_->ReadSpaced(chunk.samples.data(), wanted, 2);
    good_ = chunk.good && read == wanted && left_->IsGood();
    current_ = chunk.samples.data();
    position_ = 0;
    filled_ = good_ ? 2 * wanted : 0;
}

std::size_t CChannelPairReader::Read(std::int16_t* out, std::size_t count) {
    std::size_t copied = 0;
    while (copied < count && IsValid()) {
        const std::size_t run = std::min(count - copied, filled_ - position_);
        std::memcpy(out + copied, current_ + position_, run * sizeof(std::int16_t));
        copied += run;
        position_ += run;
        delivered_ += static_cast<std::int64_t>(run);
        // The next chunk is made ready at once, so that the current sample and the valid flag
        // always hold, as in the card's own reader.
        if (position_ == filled_ && delivered_ < total_) {
            takeNextChunk();
        }
    }
    return copied;
}

} // namespace ZQ3
