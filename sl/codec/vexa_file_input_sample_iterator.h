#pragma once

#include "sl/codec/vexa_coder.h"
#include "sl/codec/vexa_coding.h"
#include "sl/samples/locatable.h"
#include "sl/samples/sample_attribute.h"
#include "sl/samples/sample_iterator.h"
#include "sl/samples/sample_type.h"

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <vector>

namespace SL {

// Decodes the channel files of one sample into a single interleaved stream of 16-bit samples.
// Each file is a headerless run of 2N-byte frames of 16 samples of its channel; file i holds
// channel i. The prediction state runs on from the first frame of a file, so a file is decoded
// from its beginning (a seek decodes the frame before its target to recover that state).
//
// Files are read in large blocks and a frame of every channel is decoded at each 16-frame
// boundary, so the per-sample path is an index step. A file that ends before the requested
// length clears the good flag at the frame boundary that finds no whole frame left; the samples
// already decoded stay valid up to that boundary. Reaching the requested length is a normal end.
class CVexaFileInputSampleIterator final : public ITypedInputSampleIterator<CSampleTag::Integer16>,
                                           public ILocatable1D {
public:
    // Bytes read from a file at a time (rounded down to whole frames).
    static constexpr std::size_t kBlockBytes = 65536;

    // `length` is the number of samples per channel the stream delivers; `dataOffset` is where
    // the frames start in every file. An unusable setup (no streams, a missing stream, N outside
    // 4..8, a negative offset) gives a stream that is neither good nor valid.
    CVexaFileInputSampleIterator(std::vector<std::shared_ptr<std::istream>> streams,
                                 int bitsPerSample, std::int32_t length,
                                 std::int64_t dataOffset = 0);
    // The current sample points into the coder's buffer, which must not be shared.
    CVexaFileInputSampleIterator(const CVexaFileInputSampleIterator&) = delete;
    CVexaFileInputSampleIterator& operator=(const CVexaFileInputSampleIterator&) = delete;

    bool IsValid() const override { return good_ && counter_ <= total_; }

    void Advance() override {
        if (slot_ == 0 && counter_ < total_) {
            DecodeNextFrames(pcm_);
        }
        current_ = slot_;
        if (++slot_ == slotsPerBuffer_) {
            slot_ = 0;
        }
        ++counter_;
    }

    std::int16_t GetValue() const override { return pcm_[current_]; }

    // Copies up to `count` samples into `out`, starting with the current one, and advances past
    // them: the same as `count` rounds of GetValue and Advance, stopping where the stream stops
    // being valid, but a decoded frame at a time. Answers how many samples were copied.
    std::size_t Read(std::int16_t* out, std::size_t count) { return ReadSpaced(out, count, 1); }
    // Read that puts the samples `spacing` apart: the i-th at out[i × spacing]. One channel's
    // stream, read with spacing 2 into every other place, fills its half of a stereo buffer.
    std::size_t ReadSpaced(std::int16_t* out, std::size_t count, std::size_t spacing);

    const CSampleAttribute& GetAttribute() const override { return attribute_; }
    bool IsGood() const override { return good_; }
    std::int64_t MapPosition(std::int64_t position) const override { return position; }

    // Positions the stream on sample frame `frame` of every channel (clamped to 0..length) and
    // makes it current. The result is exact for every frame, aligned or not. A stream whose good
    // flag is cleared stays where it is.
    void Seek(std::int64_t frame) override;
    std::int64_t GetPosition() const override;
    std::int64_t GetOffset(std::int64_t frames) const override { return frames + GetPosition(); }

    int GetBitsPerSample() const { return bitsPerSample_; }

private:
    struct CChannelReader {
        std::shared_ptr<std::istream> stream;
        std::vector<std::uint8_t> block;
        std::size_t begin = 0; // first unused byte of the block
        std::size_t end = 0;   // one past the last byte read into the block
    };

    // Decodes the next frame of every channel into 16 interleaved sample frames at `samples`
    // (the PCM buffer, or a caller's run with its samples `spacing` apart); on a missing frame
    // clears the good flag and the PCM buffer.
    void DecodeNextFrames(std::int16_t* samples, std::size_t spacing = 1);
    // DecodeNextFrames for up to `frames` frames of every channel at once, as many as the
    // channels' blocks hold (refilling a block that holds none whole): frame k's samples start
    // at samples + 16k × channels × spacing. Answers how many; none, with the good flag cleared
    // as DecodeNextFrames does, when a channel has no whole frame left.
    std::size_t DecodeFrameRun(std::int16_t* samples, std::size_t spacing, std::size_t frames);
    // Makes at least one whole frame available in the reader's block.
    bool Refill(CChannelReader& reader);
    // Forgets buffered bytes and positions every stream on frame `frame`.
    void PositionStreams(std::int64_t frame);

    CSampleAttribute attribute_;
    std::vector<CChannelReader> readers_;
    std::int64_t dataOffset_;
    int bitsPerSample_;
    std::size_t frameBytes_;
    std::int64_t total_;       // channels × length interleaved samples
    std::int64_t counter_ = 0; // one ahead of the current interleaved sample
    std::shared_ptr<CVexaCoding> coding_;
    std::shared_ptr<CVexaCoder> coder_;
    bool good_ = false;

    std::int16_t silence_ = 0; // the PCM buffer of an unusable stream
    std::int16_t* pcm_ = &silence_;
    std::size_t slotsPerBuffer_ = 1; // 16 × channels
    std::size_t slot_ = 0;           // PCM index of the next sample
    std::size_t current_ = 0;        // PCM index of the current sample
};

} // namespace SL
