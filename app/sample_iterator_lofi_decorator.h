#pragma once

#include "sl/samples/locatable.h"
#include "sl/samples/sample_attribute.h"
#include "sl/samples/sample_iterator.h"
#include "sl/samples/sample_type.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace ZQ3 {

// Plays a lo-fi pad at the sampler's lo-fi rate: a sample-and-hold that passes every fourth
// sample frame of the wrapped stream and repeats it in the three frames after it, so the stream
// keeps its length and its 44.1 kHz frame rate while its effective rate drops to a quarter.
// Frame t of the output is frame 4 × floor(t / 4) of the input, all channels refreshed together.
class CSampleIteratorLofiDecorator final
    : public SL::ITypedInputSampleIterator<SL::CSampleTag::Integer16>,
      public SL::ILocatable1D {
public:
    using CSource = SL::ITypedInputSampleIterator<SL::CSampleTag::Integer16>;

    // A missing source gives a stream that is neither good nor valid.
    explicit CSampleIteratorLofiDecorator(std::shared_ptr<CSource> source);

    bool IsValid() const override { return source_->IsValid(); }

    void Advance() override {
        source_->Advance();
        if (++channel_ == channelCount_) {
            channel_ = 0;
        }
        if (++step_ == cycleLength_) {
            step_ = 0;
        }
        if (step_ < channelCount_) {
            held_[channel_] = source_->GetValue();
        }
    }

    std::int16_t GetValue() const override { return held_[channel_]; }

    const SL::CSampleAttribute& GetAttribute() const override { return attribute_; }
    bool IsGood() const override { return source_->IsGood(); }
    std::int64_t MapPosition(std::int64_t position) const override {
        return source_->MapPosition(position);
    }

    // Seeks the source and takes up the hold where frame `frame` lies in its cycle of four,
    // so the output after a seek is what it would have been had the stream been read up to
    // there. Does nothing when the source cannot be positioned.
    void Seek(std::int64_t frame) override;
    std::int64_t GetPosition() const override;
    std::int64_t GetOffset(std::int64_t frames) const override;

private:
    static constexpr std::int64_t kHeldFrames = 4;

    std::shared_ptr<CSource> source_;
    SL::ILocatable1D* locatable_;
    SL::CSampleAttribute attribute_;
    std::size_t channelCount_;
    std::size_t channel_ = 0;        // channel of the current sample
    std::size_t step_ = 0;           // interleaved step within the cycle
    std::size_t cycleLength_;        // 4 × channels
    std::vector<std::int16_t> held_; // the frame being repeated
};

} // namespace ZQ3
