#pragma once

#include "sl/samples/locatable.h"
#include "sl/samples/sample_attribute.h"
#include "sl/samples/sample_bytes.h"
#include "sl/samples/sample_iterator.h"
#include "sl/samples/sample_type.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <istream>
#include <memory>
#include <utility>
#include <vector>

namespace SL {

// Reads the raw PCM samples that lie in the byte range [begin, end) of a stream, such as the data
// chunk of a WAVE or AIFF file. The range comes from an untrusted header: the iterator never
// delivers a sample whose bytes are not wholly inside the range and actually present in the
// stream. Running off the end of the range is a normal end (the good flag stays set); a stream
// that ends before the range does is an error (the good flag is cleared).
//
// The stream is read in blocks, so the per-sample path is a pointer step and a decode.
template <int Tag>
class CFileInputSampleIterator : public ITypedInputSampleIterator<Tag>, public ILocatable1D {
public:
    static_assert(IsStreamableSampleTag<Tag>);
    using Value = SampleValue<Tag>;
    static constexpr int Width = SampleWidth<Tag>;

    // The attribute's byte order is the file's; the attribute the iterator reports is in the
    // machine's order because it delivers decoded values.
    CFileInputSampleIterator(const CSampleAttribute& attribute,
                             std::shared_ptr<std::istream> stream, std::int64_t begin,
                             std::int64_t end)
        : attribute_(attribute), stream_(std::move(stream)),
          begin_(std::max<std::int64_t>(begin, 0)), end_(std::max(end, begin_)), position_(begin_),
          reverse_(attribute.NeedsSwap()), good_(stream_ != nullptr) {
        attribute_.SetEndianness(GT::CEndianness::Host);
        const std::int64_t rangeBytes = (end_ - begin_) / Width * Width;
        block_.resize(static_cast<std::size_t>(std::min<std::int64_t>(rangeBytes, BlockBytes)));
        if (good_) {
            // The header reader may have left the stream at its end or in a failed state.
            stream_->clear();
        }
        Advance();
    }
    // The current sample may point into the object itself.
    CFileInputSampleIterator(const CFileInputSampleIterator&) = delete;
    CFileInputSampleIterator& operator=(const CFileInputSampleIterator&) = delete;

    bool IsValid() const override { return good_ && position_ <= end_; }

    void Advance() override {
        // Compared as a distance: before the first block both pointers are null, and null plus
        // an offset is undefined.
        if (limit_ - next_ >= Width) {
            current_ = next_;
            next_ += Width;
            position_ += Width;
            return;
        }
        ReadBlock();
    }

    Value GetValue() const override { return CSampleBytes<Tag>::Load(current_, reverse_); }

    // Copies up to `count` samples into `out`, starting with the current one, and advances past
    // them: the same as `count` rounds of GetValue and Advance, stopping where the iterator
    // stops being valid, but a block at a time. Answers how many samples were copied.
    std::size_t Read(Value* out, std::size_t count) {
        std::size_t copied = 0;
        while (copied < count && IsValid()) {
            // A valid iterator's current sample lies in the block, with the rest of the block
            // after it.
            const std::size_t run = std::min<std::size_t>(
                count - copied, static_cast<std::size_t>(limit_ - current_) / Width);
            if (!reverse_ && sizeof(Value) == Width) {
                // The file's bytes are the values' own.
                std::memcpy(out + copied, current_, run * Width);
            } else {
                for (std::size_t i = 0; i < run; ++i) {
                    out[copied + i] = CSampleBytes<Tag>::Load(current_ + i * Width, reverse_);
                }
            }
            copied += run;
            // Steps to the run's last sample; the Advance past it reads the next block when the
            // run ended this one.
            const std::size_t skipped = (run - 1) * Width;
            current_ += skipped;
            next_ = current_ + Width;
            position_ += static_cast<std::int64_t>(skipped);
            Advance();
        }
        return copied;
    }

    const CSampleAttribute& GetAttribute() const override { return attribute_; }
    bool IsGood() const override { return good_; }
    std::int64_t MapPosition(std::int64_t position) const override { return position; }

    // Reads the first sample of the frame; frames before the first are taken as the first.
    void Seek(std::int64_t frame) override {
        const std::int64_t frameBytes =
            std::int64_t{Width} * std::max(attribute_.GetChannelCount(), 1);
        // Anything past the range lands just past it, which keeps the arithmetic in range.
        frame = std::clamp<std::int64_t>(frame, 0, (end_ - begin_) / frameBytes + 1);
        position_ = begin_ + frameBytes * frame;
        next_ = limit_ = nullptr;
        if (good_) {
            stream_->clear();
        }
        Advance();
    }

    std::int64_t GetPosition() const override {
        const std::int32_t channels = attribute_.GetChannelCount();
        if (channels <= 0) {
            return 0;
        }
        return (position_ - begin_ - Width) / channels / Width;
    }
    std::int64_t GetOffset(std::int64_t frames) const override { return frames + GetPosition(); }

    // The byte position of the next read (one sample ahead of the current one).
    std::int64_t GetReadPosition() const { return position_; }
    std::int64_t GetBegin() const { return begin_; }
    std::int64_t GetEnd() const { return end_; }

private:
    static constexpr std::int64_t BlockBytes = std::int64_t{16384} * Width;

    // Reads the next block that starts at the position; the first of its samples becomes the
    // current one.
    void ReadBlock() {
        const std::int64_t samplePosition = position_;
        position_ += Width;
        current_ = zero_;
        next_ = limit_ = nullptr;
        if (!good_) {
            return;
        }
        if (samplePosition + Width > end_) {
            // The range is used up: a normal end, nothing to read.
            return;
        }
        if (!*stream_ || stream_->eof()) {
            good_ = false;
            return;
        }
        const std::int64_t wanted = std::min<std::int64_t>(std::int64_t(block_.size()),
                                                           (end_ - samplePosition) / Width * Width);
        stream_->seekg(samplePosition);
        if (!*stream_) {
            good_ = false;
            return;
        }
        stream_->read(reinterpret_cast<char*>(block_.data()), wanted);
        const std::int64_t usable = std::int64_t(stream_->gcount()) / Width * Width;
        if (usable == 0) {
            // The stream ends inside the range: a truncated file, not a normal end.
            good_ = false;
            return;
        }
        current_ = block_.data();
        next_ = current_ + Width;
        limit_ = current_ + usable;
    }

    CSampleAttribute attribute_;
    std::shared_ptr<std::istream> stream_;
    std::int64_t begin_;
    std::int64_t end_;
    std::int64_t position_;
    bool reverse_;
    bool good_;
    std::vector<std::uint8_t> block_;
    // Before the first sample and after a failed read the current value is zero.
    std::uint8_t zero_[static_cast<std::size_t>(Width)] = {};
    const std::uint8_t* current_ = zero_;
    const std::uint8_t* next_ = nullptr;
    const std::uint8_t* limit_ = nullptr;
};

extern template class CFileInputSampleIterator<CSampleTag::Integer8>;
extern template class CFileInputSampleIterator<CSampleTag::Integer16>;
extern template class CFileInputSampleIterator<CSampleTag::Integer24>;
extern template class CFileInputSampleIterator<CSampleTag::Integer32>;
extern template class CFileInputSampleIterator<CSampleTag::Float32>;
extern template class CFileInputSampleIterator<CSampleTag::Float64>;

} // namespace SL
