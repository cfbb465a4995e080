#pragma once

#include "sl/samples/ring_sample_state.h"
#include "sl/samples/sample_attribute.h"
#include "sl/samples/sample_endian_converter.h"
#include "sl/samples/sample_iterator.h"

#include <memory>
#include <utility>

namespace SL {

// Reads a ring: valid while the ring holds a frame the producer has finished. Reading never
// passes the write offset, so the consumer needs no lock.
template <int Tag>
class CRingInputSampleIterator : public ITypedInputSampleIterator<Tag> {
public:
    using Value = SampleValue<Tag>;

    CRingInputSampleIterator(const CSampleAttribute& attribute,
                             std::shared_ptr<CRingSampleState> ring,
                             CSampleEndianConverter<Tag> converter)
        : attribute_(attribute), ring_(std::move(ring)), converter_(std::move(converter)) {
        attribute_.SetEndianness(GT::CEndianness::Host);
    }

    bool IsValid() const override { return ring_->GetReadableBytes() != 0; }
    // Advancing an empty ring would hand the producer's frame to the consumer; it is ignored.
    void Advance() override {
        if (IsValid()) {
            converter_.Advance();
        }
    }
    const CSampleAttribute& GetAttribute() const override { return attribute_; }
    bool IsGood() const override { return true; }
    std::int64_t MapPosition(std::int64_t position) const override { return position; }
    Value GetValue() const override { return IsValid() ? converter_.Get() : Value{}; }

private:
    CSampleAttribute attribute_;
    std::shared_ptr<CRingSampleState> ring_;
    CSampleEndianConverter<Tag> converter_;
};

// Writes a ring: valid while the ring has room for a frame.
template <int Tag>
class CRingOutputSampleIterator : public ITypedOutputSampleIterator<Tag> {
public:
    using Value = SampleValue<Tag>;

    CRingOutputSampleIterator(const CSampleAttribute& attribute,
                              std::shared_ptr<CRingSampleState> ring,
                              CSampleEndianConverter<Tag> converter)
        : attribute_(attribute), ring_(std::move(ring)), converter_(std::move(converter)) {
        attribute_.SetEndianness(GT::CEndianness::Host);
    }

    bool IsValid() const override { return ring_->GetWritableBytes() != 0; }
    void Advance() override {
        if (IsValid()) {
            converter_.Advance();
        }
    }
    const CSampleAttribute& GetAttribute() const override { return attribute_; }
    bool IsGood() const override { return true; }
    std::int64_t MapPosition(std::int64_t position) const override { return position; }
    void SetValue(Value value) override {
        if (IsValid()) {
            converter_.Set(value);
        }
    }
    bool Finish() override { return true; }

private:
    CSampleAttribute attribute_;
    std::shared_ptr<CRingSampleState> ring_;
    CSampleEndianConverter<Tag> converter_;
};

} // namespace SL
