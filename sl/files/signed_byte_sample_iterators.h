#pragma once

#include "sl/samples/locatable.h"
#include "sl/samples/sample_iterator.h"

#include <memory>

namespace SL {

// 8-bit samples are offset binary in the sample framework (and in WAVE files, 128 = silence)
// but two's complement in AIFF files (0 = silence). These decorators convert between the two
// by flipping the top bit, so an 8-bit AIFF file reads and writes like any other 8-bit stream.
class CSignedByteInputSampleIterator : public ITypedInputSampleIterator<CSampleTag::Integer8>,
                                       public ILocatable1D {
public:
    explicit CSignedByteInputSampleIterator(
        std::shared_ptr<ITypedInputSampleIterator<CSampleTag::Integer8>> source);

    bool IsValid() const override { return source_->IsValid(); }
    void Advance() override { source_->Advance(); }
    std::uint8_t GetValue() const override { return source_->GetValue() ^ 0x80; }
    const CSampleAttribute& GetAttribute() const override { return source_->GetAttribute(); }
    bool IsGood() const override { return source_->IsGood(); }
    std::int64_t MapPosition(std::int64_t position) const override {
        return source_->MapPosition(position);
    }
    void Seek(std::int64_t frame) override;
    std::int64_t GetPosition() const override;
    std::int64_t GetOffset(std::int64_t frames) const override;

private:
    std::shared_ptr<ITypedInputSampleIterator<CSampleTag::Integer8>> source_;
    ILocatable1D* locatable_;
};

class CSignedByteOutputSampleIterator : public ITypedOutputSampleIterator<CSampleTag::Integer8> {
public:
    explicit CSignedByteOutputSampleIterator(
        std::shared_ptr<ITypedOutputSampleIterator<CSampleTag::Integer8>> target)
        : target_(std::move(target)) {}

    bool IsValid() const override { return target_->IsValid(); }
    void Advance() override { target_->Advance(); }
    void SetValue(std::uint8_t value) override { target_->SetValue(value ^ 0x80); }
    bool Finish() override { return target_->Finish(); }
    const CSampleAttribute& GetAttribute() const override { return target_->GetAttribute(); }
    bool IsGood() const override { return target_->IsGood(); }
    std::int64_t MapPosition(std::int64_t position) const override {
        return target_->MapPosition(position);
    }

private:
    std::shared_ptr<ITypedOutputSampleIterator<CSampleTag::Integer8>> target_;
};

} // namespace SL
