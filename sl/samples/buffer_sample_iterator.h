#pragma once

#include "sl/samples/sample_attribute.h"
#include "sl/samples/sample_endian_converter.h"
#include "sl/samples/sample_iterator.h"

#include <cstdint>
#include <utility>

namespace SL {

namespace Detail {

// The byte window a buffer iterator may touch, and the attribute it reports.
class CBufferWindow {
public:
    CBufferWindow(const CSampleAttribute& attribute, const std::uint8_t* first,
                  const std::uint8_t* last)
        : attribute_(attribute), first_(reinterpret_cast<std::uintptr_t>(first)),
          last_(reinterpret_cast<std::uintptr_t>(last)) {
        // Iterators hand out values in the machine's order.
        attribute_.SetEndianness(GT::CEndianness::Host);
    }

    // A sample of `width` bytes at `address` lies wholly inside the window.
    bool Contains(std::uintptr_t address, int width) const {
        return address >= first_ && address <= last_ && last_ - address >= std::uintptr_t(width);
    }
    const CSampleAttribute& GetAttribute() const { return attribute_; }

private:
    CSampleAttribute attribute_;
    std::uintptr_t first_;
    std::uintptr_t last_;
};

} // namespace Detail

// Reads the samples of a byte buffer in its byte order, through an endian converter. The
// iterator is valid while the sample at its locator lies inside [first, last); it never reads
// outside that window.
template <int Tag>
class CBufferInputSampleIterator : public ITypedInputSampleIterator<Tag> {
public:
    using Value = SampleValue<Tag>;
    static constexpr int Width = SampleWidth<Tag>;

    CBufferInputSampleIterator(const CSampleAttribute& attribute,
                               CSampleEndianConverter<Tag> converter, const std::uint8_t* first,
                               const std::uint8_t* last)
        : window_(attribute, first, last), converter_(std::move(converter)) {}

    bool IsValid() const override {
        return window_.Contains(converter_.GetLocator()->GetAddressValue(), Width);
    }
    void Advance() override { converter_.Advance(); }
    const CSampleAttribute& GetAttribute() const override { return window_.GetAttribute(); }
    bool IsGood() const override { return true; }
    std::int64_t MapPosition(std::int64_t position) const override { return position; }
    Value GetValue() const override { return IsValid() ? converter_.Get() : Value{}; }

    const CSampleEndianConverter<Tag>& GetConverter() const { return converter_; }

private:
    Detail::CBufferWindow window_;
    CSampleEndianConverter<Tag> converter_;
};

// Writes samples into a byte buffer in its byte order. Each value is stored at once; Advance
// moves to the next slot. Stores outside [first, last) are dropped.
template <int Tag>
class CBufferOutputSampleIterator : public ITypedOutputSampleIterator<Tag> {
public:
    using Value = SampleValue<Tag>;
    static constexpr int Width = SampleWidth<Tag>;

    CBufferOutputSampleIterator(const CSampleAttribute& attribute,
                                CSampleEndianConverter<Tag> converter, std::uint8_t* first,
                                std::uint8_t* last)
        : window_(attribute, first, last), converter_(std::move(converter)) {}

    bool IsValid() const override {
        return window_.Contains(converter_.GetLocator()->GetAddressValue(), Width);
    }
    void Advance() override { converter_.Advance(); }
    const CSampleAttribute& GetAttribute() const override { return window_.GetAttribute(); }
    bool IsGood() const override { return true; }
    std::int64_t MapPosition(std::int64_t position) const override { return position; }
    void SetValue(Value value) override {
        if (IsValid()) {
            converter_.Set(value);
        }
    }
    // Memory buffers have nothing pending.
    bool Finish() override { return true; }

    const CSampleEndianConverter<Tag>& GetConverter() const { return converter_; }

private:
    Detail::CBufferWindow window_;
    CSampleEndianConverter<Tag> converter_;
};

} // namespace SL
