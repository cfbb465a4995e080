#pragma once

#include "sl/samples/locatable.h"
#include "sl/samples/sample_iterator.h"

#include <memory>

namespace SL {

// Turns a mono stream into two channels: every source sample is delivered twice, as left and
// as right, so a mono sample plays from both speakers.
template <int Tag>
class CSampleIteratorStereoDecorator : public ITypedInputSampleIterator<Tag>, public ILocatable1D {
public:
    using Value = SampleValue<Tag>;

    explicit CSampleIteratorStereoDecorator(std::shared_ptr<IInputSampleIterator> source)
        : source_(std::move(source)),
          typedSource_(std::dynamic_pointer_cast<ITypedInputSampleIterator<Tag>>(source_)) {
        if (source_) {
            attribute_ = source_->GetAttribute();
        }
        attribute_.SetChannelCount(2);
    }

    // A source of another type has no values to give and ends the stream at once.
    bool IsValid() const override { return typedSource_ && typedSource_->IsValid(); }
    void Advance() override {
        if (phase_ == 1 && typedSource_) {
            typedSource_->Advance();
        }
        phase_ = (phase_ + 1) % 2;
    }
    const CSampleAttribute& GetAttribute() const override { return attribute_; }
    bool IsGood() const override { return !source_ || source_->IsGood(); }
    // Two samples here are one sample of the source.
    std::int64_t MapPosition(std::int64_t position) const override {
        return source_ ? source_->MapPosition(position / 2) : position / 2;
    }
    Value GetValue() const override { return typedSource_ ? typedSource_->GetValue() : Value{}; }

    // One frame here is one frame of the source.
    void Seek(std::int64_t frame) override {
        if (auto* locatable = dynamic_cast<ILocatable1D*>(source_.get())) {
            locatable->Seek(frame);
            phase_ = 0;
        }
    }
    std::int64_t GetPosition() const override {
        auto* locatable = dynamic_cast<const ILocatable1D*>(source_.get());
        return locatable != nullptr ? locatable->GetPosition() : 0;
    }
    std::int64_t GetOffset(std::int64_t frames) const override { return frames + GetPosition(); }

private:
    std::shared_ptr<IInputSampleIterator> source_;
    std::shared_ptr<ITypedInputSampleIterator<Tag>> typedSource_;
    CSampleAttribute attribute_;
    int phase_ = 0;
};

} // namespace SL
