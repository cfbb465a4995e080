#include "app/channel_pair_reader.h"

#include <algorithm>
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
    try {
        worker_ = std::thread([this] { decodeRight(); });
    } catch (const std::system_error&) {
        return;
    }
    good_ = true;
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
    for (;;) {
        std::int16_t* out = nullptr;
        std::size_t frames = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || runsAsked_ != runsDone_; });
            if (stopping_) {
                return;
            }
            out = runOut_;
            frames = runFrames_;
        }
        const std::size_t read = right_->ReadSpaced(out + 1, frames, 2);
        const bool good = read == frames && right_->IsGood();
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            rightDelivered_ = read;
            rightGood_ = good;
            ++runsDone_;
        }
        changed_.notify_all();
    }
}

std::size_t CChannelPairReader::ReadFrames(std::int16_t* out, std::size_t frames) {
    if (!IsValid()) {
        return 0;
    }
    frames = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(frames), frames_ - delivered_));
    if (frames == 0) {
        return 0;
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        runOut_ = out;
        runFrames_ = frames;
        ++runsAsked_;
    }
    changed_.notify_all();
    // The worker meanwhile decodes the right channel into the odd places.
    const std::size_t left = left_->ReadSpaced(out, frames, 2);
    const bool leftGood = left == frames && left_->IsGood();
    std::size_t right = 0;
    bool rightGood = false;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return runsDone_ == runsAsked_; });
        right = rightDelivered_;
        rightGood = rightGood_;
    }
    good_ = leftGood && rightGood;
    const std::size_t both = std::min(left, right);
    delivered_ += static_cast<std::int64_t>(both);
    return both;
}

} // namespace ZQ3
