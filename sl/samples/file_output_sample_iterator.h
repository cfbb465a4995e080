#pragma once

#include "sl/samples/locatable.h"
#include "sl/samples/sample_attribute.h"
#include "sl/samples/sample_bytes.h"
#include "sl/samples/sample_iterator.h"
#include "sl/samples/sample_type.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <utility>
#include <vector>

namespace SL {

// Completes a sample file once its samples are written: typically writes the container header
// from position 0, sized by the data range that the samples actually occupy. It receives the
// iterator's attribute, its stream, and the range [dataBegin, dataEnd) written; it answers
// whether writing succeeded.
using CHeaderWriter = std::function<bool(const CSampleAttribute& attribute, std::ostream& stream,
                                         std::int64_t dataBegin, std::int64_t dataEnd)>;

// Writes raw PCM samples into the byte range [begin, end) of a stream, in the byte order of the
// attribute given at construction. A stored value reaches the stream only when the iterator
// advances past it; samples are collected in blocks and written a block at a time. Nothing is
// ever written outside the range: the iterator is valid only while one more sample fits.
//
// Finish writes the last block, runs the header writer once and flushes the stream.
template <int Tag>
class CFileOutputSampleIterator : public ITypedOutputSampleIterator<Tag>, public ILocatable1D {
public:
    static_assert(IsStreamableSampleTag<Tag>);
    using Value = SampleValue<Tag>;
    static constexpr int Width = SampleWidth<Tag>;

    CFileOutputSampleIterator(const CSampleAttribute& attribute,
                              std::shared_ptr<std::ostream> stream, std::int64_t begin,
                              std::int64_t end, CHeaderWriter headerWriter = {})
        : attribute_(attribute), stream_(std::move(stream)),
          begin_(std::max<std::int64_t>(begin, 0)), end_(std::max(end, begin_)), position_(begin_),
          reverse_(attribute.NeedsSwap()), headerWriter_(std::move(headerWriter)),
          good_(stream_ != nullptr) {
        attribute_.SetEndianness(GT::CEndianness::Host);
        const std::int64_t rangeBytes = (end_ - begin_) / Width * Width;
        block_.resize(static_cast<std::size_t>(std::min<std::int64_t>(rangeBytes, BlockBytes)));
        if (good_) {
            stream_->clear();
            stream_->seekp(begin_);
            good_ = !stream_->fail();
        }
    }
    CFileOutputSampleIterator(const CFileOutputSampleIterator&) = delete;
    CFileOutputSampleIterator& operator=(const CFileOutputSampleIterator&) = delete;

    // An iterator dropped without Finish still hands over its samples; only the header is
    // missing, and the caller discards such files.
    ~CFileOutputSampleIterator() override {
        if (!finished_) {
            WriteBlock();
        }
    }

    bool IsValid() const override { return CanTake(); }

    void SetValue(Value value) override { CSampleBytes<Tag>::Store(value, pending_, reverse_); }

    void Advance() override {
        if (!CanTake()) {
            return;
        }
        std::memcpy(block_.data() + filled_, pending_, Width);
        filled_ += Width;
        position_ += Width;
        if (filled_ == block_.size()) {
            WriteBlock();
        }
    }

    // The number of samples the range still has room for (none once the iterator is invalid).
    std::int64_t Room() const { return CanTake() ? (end_ - position_) / Width : 0; }

    // Stores and advances past up to `count` samples from `values`: the same as `count` rounds
    // of SetValue and Advance, stopping where the range is full, but a block at a time.
    // Answers how many samples were taken.
    std::size_t Write(const Value* values, std::size_t count) {
        std::size_t taken = 0;
        while (taken < count && CanTake()) {
            const std::size_t blockRoom = (block_.size() - filled_) / Width;
            const std::size_t run = static_cast<std::size_t>(std::min<std::int64_t>(
                {static_cast<std::int64_t>(count - taken), static_cast<std::int64_t>(blockRoom),
                 (end_ - position_) / Width}));
            std::uint8_t* bytes = block_.data() + filled_;
            if (!reverse_ && sizeof(Value) == Width) {
                // The file's bytes are the values' own.
                std::memcpy(bytes, values + taken, run * Width);
            } else {
                for (std::size_t i = 0; i < run; ++i) {
                    CSampleBytes<Tag>::Store(values[taken + i], bytes + i * Width, reverse_);
                }
            }
            taken += run;
            filled_ += run * Width;
            position_ += static_cast<std::int64_t>(run * Width);
            if (filled_ == block_.size()) {
                WriteBlock();
            }
        }
        return taken;
    }

    // Whether the file's bytes of a sample are the host's own (no byte swap on the way).
    bool WritesHostByteOrder() const { return !reverse_; }

    // Counts as written up to `count` samples that the caller has put into the stream itself at
    // the write position, in the file's byte order: for a stream that lets its buffer be filled
    // in place, which saves copying every sample through the iterator's block. Answers how many
    // the range had room for; none while samples of the iterator's own wait in its block, since
    // they would belong before the caller's.
    std::size_t CountWrittenInPlace(std::size_t count) {
        if (filled_ != 0 || !CanTake()) {
            return 0;
        }
        const std::size_t taken = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(count), Room()));
        position_ += static_cast<std::int64_t>(taken * Width);
        return taken;
    }

    bool Finish() override {
        if (finished_) {
            return finishResult_;
        }
        bool success = WriteBlock() && good_;
        finished_ = true;
        if (stream_) {
            if (headerWriter_) {
                success = headerWriter_(attribute_, *stream_, begin_, position_) && success;
            }
            stream_->flush();
            success = success && !stream_->fail();
        }
        finishResult_ = success;
        return finishResult_;
    }

    const CSampleAttribute& GetAttribute() const override { return attribute_; }
    bool IsGood() const override { return good_; }
    std::int64_t MapPosition(std::int64_t position) const override { return position; }

    // Output streams are written strictly in order.
    void Seek(std::int64_t) override {}
    std::int64_t GetPosition() const override { return 0; }
    std::int64_t GetOffset(std::int64_t) const override { return 0; }

    // The byte position of the next write.
    std::int64_t GetWritePosition() const { return position_; }
    std::int64_t GetBegin() const { return begin_; }
    std::int64_t GetEnd() const { return end_; }

private:
    static constexpr std::int64_t BlockBytes = std::int64_t{16384} * Width;

    // Non-virtual, so that the per-sample steps need no call through the virtual table.
    bool CanTake() const { return good_ && !finished_ && end_ - position_ >= Width; }

    bool WriteBlock() {
        if (filled_ == 0) {
            return good_;
        }
        if (good_ && !*stream_) {
            good_ = false;
        }
        if (good_) {
            stream_->write(reinterpret_cast<const char*>(block_.data()),
                           static_cast<std::streamsize>(filled_));
            good_ = !stream_->fail();
        }
        filled_ = 0;
        return good_;
    }

    CSampleAttribute attribute_;
    std::shared_ptr<std::ostream> stream_;
    std::int64_t begin_;
    std::int64_t end_;
    std::int64_t position_;
    bool reverse_;
    CHeaderWriter headerWriter_;
    bool good_;
    bool finished_ = false;
    bool finishResult_ = false;
    std::uint8_t pending_[static_cast<std::size_t>(Width)] = {};
    std::vector<std::uint8_t> block_;
    std::size_t filled_ = 0;
};

extern template class CFileOutputSampleIterator<CSampleTag::Integer8>;
extern template class CFileOutputSampleIterator<CSampleTag::Integer16>;
extern template class CFileOutputSampleIterator<CSampleTag::Integer24>;
extern template class CFileOutputSampleIterator<CSampleTag::Integer32>;
extern template class CFileOutputSampleIterator<CSampleTag::Float32>;
extern template class CFileOutputSampleIterator<CSampleTag::Float64>;

} // namespace SL
