#pragma once

#include "sl/samples/buffer_sample_iterator.h"
#include "sl/samples/byte_sample_locator.h"
#include "sl/samples/sample_attribute.h"
#include "sl/samples/sample_bytes.h"
#include "sl/samples/sample_endian_converter.h"
#include "sl/samples/sample_incrementer.h"
#include "sl/samples/sample_iterator.h"
#include "sl/samples/sample_type.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace SL {

// Interleaved sample bytes described by a sample attribute, whatever their type.
class ISampleBuffer {
public:
    virtual ~ISampleBuffer() = default;
    // The shape of the bytes, including their byte order.
    virtual const CSampleAttribute& GetAttribute() const = 0;
    virtual bool IsInMemory() const = 0;
    // The first data byte and one past the last.
    virtual std::uint8_t* GetFirst() const = 0;
    virtual std::uint8_t* GetLast() const = 0;
    // The first byte of frame t, kept within [first, last].
    virtual std::uint8_t* GetFrame(std::int64_t frame) const = 0;
    // For every channel the largest magnitude of its samples over the whole buffer.
    virtual std::vector<double> GetPeaks() const = 0;
    virtual std::int64_t GetBeginOffset() const = 0;
    virtual std::int64_t GetEndOffset() const = 0;
    // A locator at a byte offset from the first data byte.
    virtual std::shared_ptr<CByteSampleLocator> CreateLocator(std::int64_t offset) const = 0;
    // How many samples a reader starting at the beginning may take, and how many a writer may
    // store; the whole buffer for memory buffers, the fill level for rings.
    virtual std::int64_t GetReadableSampleCount() const = 0;
    virtual std::int64_t GetWritableSampleCount() const = 0;
    // Untyped forms of the typed buffer's primitive iterator factories.
    virtual std::shared_ptr<IInputSampleIterator>
    CreateInputSampleIterator(std::int64_t offset) = 0;
    virtual std::shared_ptr<IOutputSampleIterator>
    CreateOutputSampleIterator(std::int64_t offset) = 0;
};

template <int Tag>
class ITypedSampleBuffer : public ISampleBuffer {
public:
    static_assert(IsStreamableSampleTag<Tag>);
    using Value = SampleValue<Tag>;
    static constexpr int Width = SampleWidth<Tag>;
    static constexpr int SampleTag = Tag;

    // The two primitive factories: iterators at a byte offset from the begin offset.
    virtual std::shared_ptr<ITypedInputSampleIterator<Tag>>
    CreateInputIterator(std::int64_t offset) = 0;
    virtual std::shared_ptr<ITypedOutputSampleIterator<Tag>>
    CreateOutputIterator(std::int64_t offset) = 0;

    virtual std::shared_ptr<ITypedInputSampleIterator<Tag>> CreateInputIteratorAtBegin() = 0;
    virtual std::shared_ptr<ITypedInputSampleIterator<Tag>> CreateInputIteratorAtEnd() = 0;
    virtual std::shared_ptr<ITypedInputSampleIterator<Tag>>
    CreateInputIteratorAtFrame(std::int64_t frame) = 0;
    virtual std::shared_ptr<ITypedOutputSampleIterator<Tag>> CreateOutputIteratorAtBegin() = 0;
    virtual std::shared_ptr<ITypedOutputSampleIterator<Tag>> CreateOutputIteratorAtEnd() = 0;
    virtual std::shared_ptr<ITypedOutputSampleIterator<Tag>>
    CreateOutputIteratorAtFrame(std::int64_t frame) = 0;
};

// The parts every typed buffer shares: its attribute, frame addressing, peaks and the iterator
// forms built on the two primitive factories.
template <int Tag>
class ASampleBuffer : public ITypedSampleBuffer<Tag> {
public:
    using Value = SampleValue<Tag>;
    static constexpr int Width = SampleWidth<Tag>;

    const CSampleAttribute& GetAttribute() const override { return attribute_; }

    std::uint8_t* GetFrame(std::int64_t frame) const override {
        std::uint8_t* first = this->GetFirst();
        const std::int64_t size = this->GetLast() - first;
        const std::int64_t frameBytes = attribute_.GetBytesPerFrame();
        if (frame <= 0 || frameBytes == 0) {
            return first;
        }
        return frame > size / frameBytes ? this->GetLast() : first + frame * frameBytes;
    }

    std::vector<double> GetPeaks() const override {
        const int channels = attribute_.GetChannelCount();
        if (channels <= 0) {
            return {};
        }
        std::vector<double> peaks(static_cast<std::size_t>(channels), 0.0);
        const bool reverse = attribute_.NeedsSwap();
        const std::uint8_t* sample = this->GetFirst();
        const std::int64_t frames = (this->GetLast() - sample) / attribute_.GetBytesPerFrame();
        for (std::int64_t frame = 0; frame < frames; ++frame) {
            for (double& peak : peaks) {
                peak = std::max(peak, Magnitude(CSampleBytes<Tag>::Load(sample, reverse)));
                sample += Width;
            }
        }
        return peaks;
    }

    std::int64_t GetBeginOffset() const override { return 0; }
    std::int64_t GetEndOffset() const override { return this->GetLast() - this->GetFirst(); }

    std::shared_ptr<CByteSampleLocator> CreateLocator(std::int64_t offset) const override {
        return std::make_shared<CByteSampleLocator>(this->GetFirst() + ClampOffset(offset));
    }

    std::int64_t GetReadableSampleCount() const override {
        return (GetEndOffset() - GetBeginOffset()) / Width;
    }
    std::int64_t GetWritableSampleCount() const override {
        return (GetEndOffset() - GetBeginOffset()) / Width;
    }

    std::shared_ptr<IInputSampleIterator> CreateInputSampleIterator(std::int64_t offset) override {
        return this->CreateInputIterator(offset);
    }
    std::shared_ptr<IOutputSampleIterator>
    CreateOutputSampleIterator(std::int64_t offset) override {
        return this->CreateOutputIterator(offset);
    }

    std::shared_ptr<ITypedInputSampleIterator<Tag>> CreateInputIteratorAtBegin() override {
        return this->CreateInputIterator(GetBeginOffset());
    }
    std::shared_ptr<ITypedInputSampleIterator<Tag>> CreateInputIteratorAtEnd() override {
        return this->CreateInputIterator(GetEndOffset());
    }
    std::shared_ptr<ITypedInputSampleIterator<Tag>>
    CreateInputIteratorAtFrame(std::int64_t frame) override {
        return this->CreateInputIterator(FrameOffset(frame));
    }
    std::shared_ptr<ITypedOutputSampleIterator<Tag>> CreateOutputIteratorAtBegin() override {
        return this->CreateOutputIterator(GetBeginOffset());
    }
    std::shared_ptr<ITypedOutputSampleIterator<Tag>> CreateOutputIteratorAtEnd() override {
        return this->CreateOutputIterator(GetEndOffset());
    }
    std::shared_ptr<ITypedOutputSampleIterator<Tag>>
    CreateOutputIteratorAtFrame(std::int64_t frame) override {
        return this->CreateOutputIterator(FrameOffset(frame));
    }

protected:
    // The buffer's representation is its tag, whatever the attribute said.
    explicit ASampleBuffer(const CSampleAttribute& attribute) : attribute_(attribute) {
        attribute_.SetBitDepth(CBitDepth(Tag));
    }

    CSampleAttribute& GetMutableAttribute() { return attribute_; }

    // A byte offset from the first data byte, kept inside [0, size].
    std::int64_t ClampOffset(std::int64_t offset) const {
        return std::clamp<std::int64_t>(offset, 0, this->GetLast() - this->GetFirst());
    }

    // The byte offset of frame t; frames beyond the buffer land on its end.
    std::int64_t FrameOffset(std::int64_t frame) const {
        return (this->GetFrame(frame) - this->GetFirst()) + GetBeginOffset();
    }

    // Peaks of unsigned 8-bit samples are measured from their midpoint 128, which is silence.
    static double Magnitude(Value value) {
        if constexpr (Tag == CSampleTag::Integer8) {
            return std::abs(static_cast<double>(value) - 128.0);
        } else {
            return std::abs(static_cast<double>(value));
        }
    }

private:
    CSampleAttribute attribute_;
};

// A buffer whose bytes are held in memory.
template <int Tag>
class CSampleBuffer : public ASampleBuffer<Tag> {
public:
    using Value = SampleValue<Tag>;
    static constexpr int Width = SampleWidth<Tag>;

    // Zeroed room for the attribute's channel count × length samples.
    explicit CSampleBuffer(const CSampleAttribute& attribute)
        : ASampleBuffer<Tag>(attribute), bytes_(ByteSize(attribute)) {}

    // Adopts existing interleaved bytes; the length becomes the number of whole frames they hold.
    CSampleBuffer(const CSampleAttribute& attribute, std::vector<std::uint8_t> bytes)
        : ASampleBuffer<Tag>(attribute), bytes_(std::move(bytes)) {
        const std::int64_t frameBytes = this->GetAttribute().GetBytesPerFrame();
        const std::int64_t frames = frameBytes > 0 ? std::int64_t(bytes_.size()) / frameBytes : 0;
        this->GetMutableAttribute().SetLength(
            static_cast<std::int32_t>(std::min<std::int64_t>(frames, INT32_MAX)));
    }

    bool IsInMemory() const override { return true; }
    std::uint8_t* GetFirst() const override { return const_cast<std::uint8_t*>(bytes_.data()); }
    std::uint8_t* GetLast() const override { return GetFirst() + bytes_.size(); }

    std::shared_ptr<ITypedInputSampleIterator<Tag>>
    CreateInputIterator(std::int64_t offset) override {
        return std::make_shared<CBufferInputSampleIterator<Tag>>(
            this->GetAttribute(), MakeConverter(offset), GetFirst(), GetLast());
    }
    std::shared_ptr<ITypedOutputSampleIterator<Tag>>
    CreateOutputIterator(std::int64_t offset) override {
        return std::make_shared<CBufferOutputSampleIterator<Tag>>(
            this->GetAttribute(), MakeConverter(offset), GetFirst(), GetLast());
    }

    const std::vector<std::uint8_t>& GetBytes() const { return bytes_; }
    std::vector<std::uint8_t>& GetBytes() { return bytes_; }

private:
    static std::size_t ByteSize(const CSampleAttribute& attribute) {
        const std::int64_t channels = std::max<std::int32_t>(attribute.GetChannelCount(), 0);
        const std::int64_t length = std::max<std::int32_t>(attribute.GetLength(), 0);
        // Both factors fit 31 bits, so their product fits 62; the width may still overflow it.
        std::int64_t size = 0;
        if (__builtin_mul_overflow(channels * length, std::int64_t{Width}, &size)) {
            throw std::length_error("sample buffer too large");
        }
        return static_cast<std::size_t>(size);
    }

    CSampleEndianConverter<Tag> MakeConverter(std::int64_t offset) const {
        return CSampleEndianConverter<Tag>(
            this->CreateLocator(this->ClampOffset(offset - this->GetBeginOffset())),
            std::make_shared<CLinearSampleIncrementer<Width>>(),
            this->GetAttribute().GetEndianness());
    }

    std::vector<std::uint8_t> bytes_;
};

extern template class CSampleBuffer<CSampleTag::Integer8>;
extern template class CSampleBuffer<CSampleTag::Integer16>;
extern template class CSampleBuffer<CSampleTag::Integer24>;
extern template class CSampleBuffer<CSampleTag::Integer32>;
extern template class CSampleBuffer<CSampleTag::Float32>;
extern template class CSampleBuffer<CSampleTag::Float64>;

} // namespace SL
