#include "app/sample_iterator_lofi_decorator.h"

#include <algorithm>

namespace ZQ3 {

namespace {

// Stands in for a missing source so that the per-sample path needs no test for it.
class CNoSamples final : public CSampleIteratorLofiDecorator::CSource {
public:
    bool IsValid() const override { return false; }
    void Advance() override {}
    std::int16_t GetValue() const override { return 0; }
    const SL::CSampleAttribute& GetAttribute() const override { return attribute_; }
    bool IsGood() const override { return false; }
    std::int64_t MapPosition(std::int64_t position) const override { return position; }

private:
    SL::CSampleAttribute attribute_;
};

} // namespace

CSampleIteratorLofiDecorator::CSampleIteratorLofiDecorator(std::shared_ptr<CSource> source)
    : source_(source ? std::move(source) : std::make_shared<CNoSamples>()),
      locatable_(dynamic_cast<SL::ILocatable1D*>(source_.get())),
      attribute_(source_->GetAttribute()),
      channelCount_(static_cast<std::size_t>(std::max(attribute_.GetChannelCount(), 1))),
      cycleLength_(kHeldFrames * channelCount_), held_(channelCount_, 0) {
    held_[0] = source_->GetValue();
}

void CSampleIteratorLofiDecorator::Seek(std::int64_t frame) {
    if (!locatable_) {
        return;
    }
    frame = std::max<std::int64_t>(frame, 0);
    const std::int64_t phase = frame % kHeldFrames;
    if (phase != 0) {
        // The frame on hold lies behind the target: fetch it whole, then go on to the target.
        locatable_->Seek(frame - phase);
        for (std::size_t c = 0; c < channelCount_; ++c) {
            held_[c] = source_->GetValue();
            source_->Advance();
        }
    }
    locatable_->Seek(frame);
    channel_ = 0;
    step_ = static_cast<std::size_t>(phase) * channelCount_;
    if (phase == 0) {
        held_[0] = source_->GetValue();
    }
}

std::int64_t CSampleIteratorLofiDecorator::GetPosition() const {
    return locatable_ ? locatable_->GetPosition() : 0;
}

std::int64_t CSampleIteratorLofiDecorator::GetOffset(std::int64_t frames) const {
    return locatable_ ? locatable_->GetOffset(frames) : 0;
}

} // namespace ZQ3
