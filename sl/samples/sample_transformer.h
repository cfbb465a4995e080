#pragma once

#include "sl/samples/sample_buffer.h"
#include "sl/samples/sample_iterator.h"
#include "sl/samples/sample_type.h"

#include <cstdint>
#include <memory>

namespace SL {

// Copies samples between buffers and iterators, sample by sample, while the source has samples
// and the destination has room, then treats what is left by an end policy.
class ISampleTransformer {
public:
    // End policies.
    static constexpr int SkipSource = 0;      // advance the source to its end
    static constexpr int FillDestination = 1; // fill the rest of the destination with zero samples
    static constexpr int SkipSourceAndFillDestination = 2;
    static constexpr int CopyOnly = 3; // neither

    // Results.
    static constexpr int DestinationFull = 0; // the source still had samples
    static constexpr int SourceEnded = 1;     // the destination still had room
    static constexpr int BothEnded = 2;
    // The source or destination is not of the transformer's sample type; nothing was copied.
    static constexpr int TypeMismatch = -1;

    virtual ~ISampleTransformer() = default;
    virtual int Transfer(ISampleBuffer& source, IOutputSampleIterator& destination, int policy) = 0;
    virtual int Transfer(IInputSampleIterator& source, ISampleBuffer& destination, int policy) = 0;
    virtual int Transfer(ISampleBuffer& source, ISampleBuffer& destination, int policy) = 0;
};

// The transformer for one sample type. Buffers are read and written in their own byte order;
// the amount a buffer offers or takes is its readable or writable sample count, so a ring
// buffer is filled only up to its free room.
template <int Tag>
class CSampleTransformer : public ISampleTransformer {
public:
    static_assert(IsStreamableSampleTag<Tag>);
    using Value = SampleValue<Tag>;

    int Transfer(ISampleBuffer& source, IOutputSampleIterator& destination, int policy) override {
        auto* typedSource = dynamic_cast<ITypedSampleBuffer<Tag>*>(&source);
        auto* typedDestination = dynamic_cast<ITypedOutputSampleIterator<Tag>*>(&destination);
        if (!typedSource || !typedDestination) {
            return TypeMismatch;
        }
        CBufferReader reader(*typedSource);
        CIteratorWriter writer(*typedDestination);
        return Copy(reader, writer, policy);
    }

    int Transfer(IInputSampleIterator& source, ISampleBuffer& destination, int policy) override {
        auto* typedSource = dynamic_cast<ITypedInputSampleIterator<Tag>*>(&source);
        auto* typedDestination = dynamic_cast<ITypedSampleBuffer<Tag>*>(&destination);
        if (!typedSource || !typedDestination) {
            return TypeMismatch;
        }
        CIteratorReader reader(*typedSource);
        CBufferWriter writer(*typedDestination);
        return Copy(reader, writer, policy);
    }

    int Transfer(ISampleBuffer& source, ISampleBuffer& destination, int policy) override {
        auto* typedSource = dynamic_cast<ITypedSampleBuffer<Tag>*>(&source);
        auto* typedDestination = dynamic_cast<ITypedSampleBuffer<Tag>*>(&destination);
        if (!typedSource || !typedDestination) {
            return TypeMismatch;
        }
        CBufferReader reader(*typedSource);
        CBufferWriter writer(*typedDestination);
        return Copy(reader, writer, policy);
    }

private:
    class CIteratorReader {
    public:
        explicit CIteratorReader(ITypedInputSampleIterator<Tag>& iterator) : iterator_(iterator) {}
        bool HasSample() const { return iterator_.IsValid(); }
        Value Get() const { return iterator_.GetValue(); }
        void Advance() { iterator_.Advance(); }

    private:
        ITypedInputSampleIterator<Tag>& iterator_;
    };

    class CIteratorWriter {
    public:
        explicit CIteratorWriter(ITypedOutputSampleIterator<Tag>& iterator) : iterator_(iterator) {}
        bool HasRoom() const { return iterator_.IsValid(); }
        void Put(Value value) {
            iterator_.SetValue(value);
            iterator_.Advance();
        }

    private:
        ITypedOutputSampleIterator<Tag>& iterator_;
    };

    class CBufferReader {
    public:
        explicit CBufferReader(ITypedSampleBuffer<Tag>& buffer)
            : iterator_(buffer.CreateInputIteratorAtBegin()),
              remaining_(buffer.GetReadableSampleCount()) {}
        bool HasSample() const { return remaining_ > 0 && iterator_->IsValid(); }
        Value Get() const { return iterator_->GetValue(); }
        void Advance() {
            iterator_->Advance();
            --remaining_;
        }

    private:
        std::shared_ptr<ITypedInputSampleIterator<Tag>> iterator_;
        std::int64_t remaining_;
    };

    class CBufferWriter {
    public:
        explicit CBufferWriter(ITypedSampleBuffer<Tag>& buffer)
            : iterator_(buffer.CreateOutputIteratorAtBegin()),
              remaining_(buffer.GetWritableSampleCount()) {}
        bool HasRoom() const { return remaining_ > 0 && iterator_->IsValid(); }
        void Put(Value value) {
            iterator_->SetValue(value);
            iterator_->Advance();
            --remaining_;
        }

    private:
        std::shared_ptr<ITypedOutputSampleIterator<Tag>> iterator_;
        std::int64_t remaining_;
    };

    template <class Reader, class Writer>
    static int Copy(Reader& reader, Writer& writer, int policy) {
        while (reader.HasSample() && writer.HasRoom()) {
            writer.Put(reader.Get());
            reader.Advance();
        }
        const bool sourceLeft = reader.HasSample();
        const bool roomLeft = writer.HasRoom();
        const int result = sourceLeft ? DestinationFull : roomLeft ? SourceEnded : BothEnded;
        if (policy == SkipSource || policy == SkipSourceAndFillDestination) {
            while (reader.HasSample()) {
                reader.Advance();
            }
        }
        if (policy == FillDestination || policy == SkipSourceAndFillDestination) {
            // Zero bytes, also for unsigned 8-bit samples.
            while (writer.HasRoom()) {
                writer.Put(Value{});
            }
        }
        return result;
    }
};

// The transformer for a bit-depth code; empty for a type without one.
std::shared_ptr<ISampleTransformer> CreateSampleTransformer(int bitDepthCode);

extern template class CSampleTransformer<CSampleTag::Integer8>;
extern template class CSampleTransformer<CSampleTag::Integer16>;
extern template class CSampleTransformer<CSampleTag::Integer24>;
extern template class CSampleTransformer<CSampleTag::Integer32>;
extern template class CSampleTransformer<CSampleTag::Float32>;
extern template class CSampleTransformer<CSampleTag::Float64>;

} // namespace SL
