#pragma once

#include "sl/samples/ring_sample_buffer_mixin.h"
#include "sl/samples/ring_sample_incrementer.h"
#include "sl/samples/ring_sample_iterator.h"
#include "sl/samples/ring_sample_state.h"
#include "sl/samples/sample_buffer.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace SL {

// A ring of interleaved sample frames between one producer and one consumer, on different
// threads and without a lock: the producer writes through output iterators made at the write
// offset, the consumer reads through input iterators made at the read offset, and each
// iterator moves its offset as it advances (see CRingSampleState). A transformer that copies
// into the ring stops when it is full, one that copies out of it when it is empty.
template <int Tag>
class CRingSampleBuffer : public ASampleBuffer<Tag>, public IRingSampleBufferMixin {
public:
    using Value = SampleValue<Tag>;
    static constexpr int Width = SampleWidth<Tag>;

    CRingSampleBuffer(std::int32_t channelCount, std::int32_t capacityFrames,
                      int endianness = GT::CEndianness::Host)
        : ASampleBuffer<Tag>(CSampleAttribute(CBitDepth(Tag), 0.0, channelCount,
                                              std::max<std::int32_t>(capacityFrames, 0),
                                              endianness)),
          ring_(std::make_shared<CRingSampleState>(
              std::size_t(std::max<std::int32_t>(channelCount, 0)) * Width,
              std::size_t(std::max<std::int32_t>(capacityFrames, 0)))) {}

    bool IsInMemory() const override { return false; }
    std::uint8_t* GetFirst() const override { return ring_->GetStart(); }
    std::uint8_t* GetLast() const override { return ring_->GetStart() + ring_->GetSize(); }

    // What one reader or writer may move now: the fill level and the free room.
    std::int64_t GetReadableSampleCount() const override {
        return std::int64_t(ring_->GetReadableBytes() / Width);
    }
    std::int64_t GetWritableSampleCount() const override {
        return std::int64_t(ring_->GetWritableBytes() / Width);
    }

    // Iterators at a byte offset start at the frame that holds it.
    std::shared_ptr<ITypedInputSampleIterator<Tag>>
    CreateInputIterator(std::int64_t offset) override {
        return MakeInput(FrameStart(offset), {});
    }
    std::shared_ptr<ITypedOutputSampleIterator<Tag>>
    CreateOutputIterator(std::int64_t offset) override {
        return MakeOutput(FrameStart(offset), {});
    }
    // The consumer starts at the read offset; an input iterator at the end stands at the write
    // offset, where nothing is readable yet.
    std::shared_ptr<ITypedInputSampleIterator<Tag>> CreateInputIteratorAtBegin() override {
        return MakeInput(ReadOffset(), {});
    }
    std::shared_ptr<ITypedInputSampleIterator<Tag>> CreateInputIteratorAtEnd() override {
        return MakeInput(WriteOffset(), {});
    }
    // The producer always continues at the write offset.
    std::shared_ptr<ITypedOutputSampleIterator<Tag>> CreateOutputIteratorAtBegin() override {
        return MakeOutput(WriteOffset(), {});
    }
    std::shared_ptr<ITypedOutputSampleIterator<Tag>> CreateOutputIteratorAtEnd() override {
        return MakeOutput(WriteOffset(), {});
    }

    // A reader or writer of some channels only; a list that names every channel gives the
    // plain iterator.
    std::shared_ptr<ITypedInputSampleIterator<Tag>>
    CreateSelectedInputIterator(std::vector<int> selectedChannels) {
        return MakeInput(ReadOffset(), std::move(selectedChannels));
    }
    std::shared_ptr<ITypedOutputSampleIterator<Tag>>
    CreateSelectedOutputIterator(std::vector<int> selectedChannels) {
        return MakeOutput(WriteOffset(), std::move(selectedChannels));
    }

    bool IsNotEmpty() const override { return ring_->GetReadableBytes() != 0; }
    bool HasRoom() const override { return ring_->GetWritableBytes() != 0; }
    CAmount GetReadableAmount() const override { return ToAmount(ring_->GetReadableBytes()); }
    CAmount GetWritableAmount() const override { return ToAmount(ring_->GetWritableBytes()); }

    std::size_t GetReadOffset() const { return ReadOffset(); }
    std::size_t GetWriteOffset() const { return WriteOffset(); }

private:
    std::size_t ReadOffset() const {
        return ring_->GetReadOffset().load(std::memory_order_acquire);
    }
    std::size_t WriteOffset() const {
        return ring_->GetWriteOffset().load(std::memory_order_acquire);
    }

    std::size_t FrameStart(std::int64_t offset) const {
        const std::size_t size = ring_->GetSize();
        const std::size_t frame = ring_->GetFrameBytes();
        if (size == 0 || offset <= 0) {
            return 0;
        }
        const std::size_t inside = std::size_t(offset) % size;
        return inside - inside % frame;
    }

    bool SelectsSomeChannels(const std::vector<int>& selectedChannels) const {
        return !selectedChannels.empty() &&
               std::int64_t(selectedChannels.size()) != this->GetAttribute().GetChannelCount();
    }

    std::shared_ptr<ISampleIncrementer<Width>> MakeIncrementer(std::atomic<std::size_t>& shared,
                                                               std::size_t offset,
                                                               std::vector<int> selectedChannels,
                                                               std::size_t& start) const {
        if (SelectsSomeChannels(selectedChannels)) {
            auto incrementer = std::make_shared<CRingSampleIncrementer<Width>>(
                ring_, &shared, offset, this->GetAttribute().GetChannelCount(),
                std::move(selectedChannels));
            start = incrementer->GetOffset();
            return incrementer;
        }
        start = offset;
        return std::make_shared<CLinearRingSampleIncrementer<Width>>(ring_, &shared, offset);
    }

    CSampleEndianConverter<Tag> MakeConverter(std::atomic<std::size_t>& shared, std::size_t offset,
                                              std::vector<int> selectedChannels) const {
        std::size_t start = 0;
        auto incrementer = MakeIncrementer(shared, offset, std::move(selectedChannels), start);
        return CSampleEndianConverter<Tag>(
            std::make_shared<CByteSampleLocator>(ring_->GetStart() + start), std::move(incrementer),
            this->GetAttribute().GetEndianness());
    }

    std::shared_ptr<ITypedInputSampleIterator<Tag>>
    MakeInput(std::size_t offset, std::vector<int> selectedChannels) const {
        return std::make_shared<CRingInputSampleIterator<Tag>>(
            this->GetAttribute(), ring_,
            MakeConverter(ring_->GetReadOffset(), offset, std::move(selectedChannels)));
    }
    std::shared_ptr<ITypedOutputSampleIterator<Tag>>
    MakeOutput(std::size_t offset, std::vector<int> selectedChannels) const {
        return std::make_shared<CRingOutputSampleIterator<Tag>>(
            this->GetAttribute(), ring_,
            MakeConverter(ring_->GetWriteOffset(), offset, std::move(selectedChannels)));
    }

    CAmount ToAmount(std::size_t bytes) const {
        const std::int64_t channels = this->GetAttribute().GetChannelCount();
        if (channels <= 0) {
            return {0, std::int64_t(ring_->GetSize())};
        }
        const std::int64_t perChannel = std::int64_t(bytes) / channels;
        return {perChannel / Width, perChannel % Width};
    }

    std::shared_ptr<CRingSampleState> ring_;
};

extern template class CRingSampleBuffer<CSampleTag::Integer8>;
extern template class CRingSampleBuffer<CSampleTag::Integer16>;
extern template class CRingSampleBuffer<CSampleTag::Integer24>;
extern template class CRingSampleBuffer<CSampleTag::Integer32>;
extern template class CRingSampleBuffer<CSampleTag::Float32>;
extern template class CRingSampleBuffer<CSampleTag::Float64>;

} // namespace SL
