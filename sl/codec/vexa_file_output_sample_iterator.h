#pragma once

#include "sl/codec/vexa_coder.h"
#include "sl/codec/vexa_coding.h"
#include "sl/samples/locatable.h"
#include "sl/samples/sample_attribute.h"
#include "sl/samples/sample_iterator.h"
#include "sl/samples/sample_type.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

namespace SL {

// Encodes an interleaved stream of 16-bit samples into one file per channel (channel i into file
// i), as headerless runs of 2N-byte frames of 16 samples. A frame of every channel is coded when
// 16 sample frames have been stored; Finish codes the last, partial frame padded with zeros, so
// every file holds the same whole number of frames.
//
// Frames are collected per file and written in large blocks. Nothing is written past the byte
// limit: the iterator is valid only while the frame being filled still fits in it. A failed
// write clears the good flag; Finish then reports failure.
class CVexaFileOutputSampleIterator final
    : public ITypedOutputSampleIterator<CSampleTag::Integer16>,
      public ILocatable1D {
public:
    // The ordinary card form: 16 bytes per 16 samples.
    static constexpr int kCardBitsPerSample = 8;
    // The largest card sample file, in bytes.
    static constexpr std::int64_t kCardByteLimit = 2147483647;
    // Bytes collected per file before they are written (rounded down to whole frames).
    static constexpr std::size_t kBlockBytes = 65536;

    // `dataOffset` is where the frames start in every file; `byteLimit` is the file size that is
    // never exceeded. An unusable setup (no streams, a missing stream, N outside 4..8, an offset
    // outside the limit) gives an iterator that is neither good nor valid.
    explicit CVexaFileOutputSampleIterator(std::vector<std::shared_ptr<std::ostream>> streams,
                                           int bitsPerSample = kCardBitsPerSample,
                                           std::int64_t dataOffset = 0,
                                           std::int64_t byteLimit = kCardByteLimit);
    // Whole frames reach the files even without Finish; the partial frame is lost, and the
    // caller discards such files.
    ~CVexaFileOutputSampleIterator() override;
    CVexaFileOutputSampleIterator(const CVexaFileOutputSampleIterator&) = delete;
    CVexaFileOutputSampleIterator& operator=(const CVexaFileOutputSampleIterator&) = delete;

    bool IsValid() const override {
        return good_ && !finished_ && written_ + std::int64_t(frameBytes_) <= byteLimit_;
    }

    void SetValue(std::int16_t value) override { pcm_[slot_] = value; }

    // A stored value counts only once the iterator advances past it.
    void Advance() override {
        if (!IsValid()) {
            return;
        }
        ++count_;
        if (++slot_ == slotsPerBuffer_) {
            slot_ = 0;
            EncodeFrames(pcm_);
        }
    }

    // The number of samples that still fit below the byte limit (none once the iterator is
    // invalid): the rest of the frame being filled and every whole frame after it.
    std::int64_t Room() const {
        if (!IsValid()) {
            return 0;
        }
        const std::int64_t frames = (byteLimit_ - written_) / std::int64_t(frameBytes_);
        return frames * std::int64_t(slotsPerBuffer_) - std::int64_t(slot_);
    }

    // Stores and advances past up to `count` samples from `values`: the same as `count` rounds
    // of SetValue and Advance, stopping where the iterator stops being valid, but a frame at a
    // time. Answers how many samples were taken.
    std::size_t Write(const std::int16_t* values, std::size_t count) {
        return WriteSpaced(values, count, 1);
    }
    // Write that takes the samples `spacing` apart: the i-th from values[i × spacing]. A mono
    // iterator written with spacing 2 codes one channel of a stereo buffer where it lies.
    std::size_t WriteSpaced(const std::int16_t* values, std::size_t count, std::size_t spacing);

    // Codes the pending partial frame, writes everything collected and flushes every stream.
    // Answers whether all of it reached the streams; later calls repeat the first answer.
    bool Finish() override;

    const CSampleAttribute& GetAttribute() const override { return attribute_; }
    bool IsGood() const override { return good_; }
    std::int64_t MapPosition(std::int64_t position) const override { return position; }

    // The files are written strictly in order.
    void Seek(std::int64_t) override {}
    std::int64_t GetPosition() const override { return 0; }
    std::int64_t GetOffset(std::int64_t) const override { return 0; }

    // Interleaved samples stored so far.
    std::int64_t GetSampleCount() const { return count_; }
    // The size every file has reached, counting the data offset and the frames still collected.
    std::int64_t GetBytesWritten() const { return written_; }

private:
    struct CChannelWriter {
        std::shared_ptr<std::ostream> stream;
        std::vector<std::uint8_t> block;
        std::size_t filled = 0;
    };

    // Codes 16 interleaved sample frames (the PCM buffer, or a caller's run whose samples lie
    // `spacing` apart) into one frame per channel and collects the frames.
    void EncodeFrames(const std::int16_t* samples, std::size_t spacing = 1);
    // Hands the collected frames of one file to its stream.
    bool WriteBlock(CChannelWriter& writer);

    CSampleAttribute attribute_;
    std::vector<CChannelWriter> writers_;
    std::int64_t byteLimit_;
    std::size_t frameBytes_;
    std::int64_t written_;
    std::int64_t count_ = 0;
    std::shared_ptr<CVexaCoding> coding_;
    std::shared_ptr<CVexaCoder> coder_;
    bool good_ = false;
    bool finished_ = false;
    bool finishResult_ = false;

    std::int16_t scratch_ = 0; // the PCM buffer of an unusable iterator
    std::int16_t* pcm_ = &scratch_;
    std::size_t slotsPerBuffer_ = 1; // 16 × channels
    std::size_t slot_ = 0;           // PCM index of the sample being stored
};

} // namespace SL
