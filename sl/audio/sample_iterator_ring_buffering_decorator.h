#pragma once

#include "gt/runnable.h"
#include "sl/audio/ring_bufferer.h"
#include "sl/samples/locatable.h"
#include "sl/samples/ring_sample_buffer.h"
#include "sl/samples/ring_sample_buffer_mixin.h"
#include "sl/samples/sample_iterator.h"

#include <atomic>
#include <memory>

namespace SL {

// What a ring-buffering decorator tells beyond being a stream.
class ISampleIteratorRingBufferingDecoratorMixin {
public:
    virtual ~ISampleIteratorRingBufferingDecoratorMixin() = default;
    // The ring between the filler and the reader; null when the source could not be attached.
    virtual const IRingSampleBufferMixin* getRingMixin() const = 0;
};

// A stream that reads its source ahead into a ring on a filler thread, so that the reader
// (the device's thread) only ever reads memory. The decorator is valid while the ring holds a
// frame: a source at its end, or a filler that fell behind, ends the stream.
//
// The reader side (IsValid, Advance, GetValue, GetPosition) belongs to one consumer thread;
// construction and destruction happen on the owner's thread.
template <int Tag>
class CSampleIteratorRingBufferingDecorator : public ITypedInputSampleIterator<Tag>,
                                              public ILocatable1D,
                                              public GT::IRunnable,
                                              public ISampleIteratorRingBufferingDecoratorMixin {
public:
    using Value = SampleValue<Tag>;

    // Starts the filler at the priority, makes a ring of ringTime seconds for the source's
    // shape and fills it before returning.
    CSampleIteratorRingBufferingDecorator(std::shared_ptr<IInputSampleIterator> source,
                                          int fillerPriority, double ringTime)
        : source_(std::move(source)), bufferer_(std::make_shared<CRingBufferer>()) {
        if (source_) {
            attribute_ = source_->GetAttribute();
        }
        attribute_.SetEndianness(GT::CEndianness::Host);
        bufferer_->getFactory().SetTime(ringTime);
        bufferer_->startFiller(this, fillerPriority);
        // Only a source of the decorator's own type can be read back as its values.
        if (source_ && source_->GetAttribute().GetBitDepth().GetValue() == Tag &&
            bufferer_->attach(source_)) {
            ring_ = std::dynamic_pointer_cast<CRingSampleBuffer<Tag>>(bufferer_->getRing());
            if (ring_) {
                reader_ = ring_->CreateInputIteratorAtBegin();
            }
        }
    }

    // The filler is joined while this object is still whole: its run() calls into it.
    ~CSampleIteratorRingBufferingDecorator() override { bufferer_->shutdown(); }

    CSampleIteratorRingBufferingDecorator(const CSampleIteratorRingBufferingDecorator&) = delete;
    CSampleIteratorRingBufferingDecorator&
    operator=(const CSampleIteratorRingBufferingDecorator&) = delete;

    bool IsValid() const override { return reader_ && ring_->IsNotEmpty(); }
    void Advance() override {
        if (IsValid()) {
            reader_->Advance();
            samplesRead_.fetch_add(1, std::memory_order_relaxed);
        }
    }
    const CSampleAttribute& GetAttribute() const override { return attribute_; }
    bool IsGood() const override { return true; }
    std::int64_t MapPosition(std::int64_t position) const override {
        return source_ ? source_->MapPosition(position) : position;
    }
    Value GetValue() const override { return reader_ ? reader_->GetValue() : Value{}; }

    // A ring cannot be rewound: seeking does nothing.
    void Seek(std::int64_t) override {}
    // Frames the reader has taken so far.
    std::int64_t GetPosition() const override {
        const int channels = attribute_.GetChannelCount();
        return channels > 0 ? samplesRead_.load(std::memory_order_relaxed) / channels : 0;
    }
    std::int64_t GetOffset(std::int64_t frames) const override { return frames + GetPosition(); }

    // The filler thread's body.
    void run() override { bufferer_->fill(); }

    const IRingSampleBufferMixin* getRingMixin() const override { return ring_.get(); }

private:
    std::shared_ptr<IInputSampleIterator> source_;
    std::shared_ptr<CRingBufferer> bufferer_;
    std::shared_ptr<CRingSampleBuffer<Tag>> ring_;
    std::shared_ptr<ITypedInputSampleIterator<Tag>> reader_;
    CSampleAttribute attribute_;
    std::atomic<std::int64_t> samplesRead_{0};
};

} // namespace SL
