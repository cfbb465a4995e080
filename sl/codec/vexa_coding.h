#pragma once

#include "sl/codec/compressor.h"
#include "sl/codec/expander.h"
#include "sl/codec/vexa_coder.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace SL {

// The sampler's compressed frame format for one N, with the prediction state of every channel
// of one stream. A coding serves one direction: encoding and decoding share the states.
class CVexaCoding final : public CVexaCoder::ICoding {
public:
    // Empty unless 4 <= bitsPerSample <= 8.
    static std::shared_ptr<CVexaCoding> Create(int bitsPerSample);

    std::shared_ptr<CVexaCoder::ICoding> Clone() const override;
    std::optional<std::int32_t> Encode(std::span<const std::int16_t> samples, std::size_t stride,
                                       std::size_t channel, std::span<std::uint8_t> frame) override;
    std::optional<std::int32_t> Decode(std::span<const std::uint8_t> frame,
                                       std::span<std::int16_t> samples, std::size_t stride,
                                       std::size_t channel) override;
    int GetBitsPerSample() const override { return bitsPerSample_; }

    // Encode and Decode for a stream that owns its buffers and has checked their sizes: the
    // channel's 16 samples lie at samples[channel], samples[channel + stride], ... and the frame
    // holds VexaFrameBytes bytes. Called directly, once per frame and channel, without the
    // checks and copies that cost as much as the coding of a frame.
    std::int32_t EncodeFrame(const std::int16_t* samples, std::size_t stride, std::size_t channel,
                             std::uint8_t* frame) {
        return EncodeChannelFrame(samples + channel, stride, channel, frame);
    }
    // EncodeFrame for samples laid out as the caller likes: the channel's 16 samples lie at
    // first[0], first[stride], ...
    std::int32_t EncodeChannelFrame(const std::int16_t* first, std::size_t stride,
                                    std::size_t channel, std::uint8_t* frame) {
        std::int32_t& state = StateOf(channel);
        state = compressor_->Compress(bitsPerSample_, first, stride, state, frame);
        return state;
    }
    std::int32_t DecodeFrame(const std::uint8_t* frame, std::int16_t* samples, std::size_t stride,
                             std::size_t channel) {
        std::int32_t& state = StateOf(channel);
        state = expander_->Expand(bitsPerSample_, frame, state, samples + channel, stride);
        return state;
    }

    // DecodeFrame for `count` consecutive frames of the channel, frame k's samples starting at
    // samples[channel + 16k × stride].
    std::int32_t DecodeFrames(const std::uint8_t* frames, std::size_t count, std::int16_t* samples,
                              std::size_t stride, std::size_t channel) {
        std::int32_t& state = StateOf(channel);
        state =
            expander_->ExpandRun(bitsPerSample_, frames, count, state, samples + channel, stride);
        return state;
    }

    // The last reconstructed sample of a channel; 0 before its first frame.
    std::int32_t GetState(std::size_t channel) const;
    void SetState(std::size_t channel, std::int32_t state);

    // The parameters of the last frame coded in each direction.
    const Private::compressor& GetCompressor() const { return *compressor_; }
    const Private::expander& GetExpander() const { return *expander_; }

private:
    explicit CVexaCoding(int bitsPerSample);

    std::int32_t& StateOf(std::size_t channel) {
        if (channel >= states_.size()) [[unlikely]] {
            states_.resize(channel + 1, 0);
        }
        return states_[channel];
    }

    std::int32_t bitsPerSample_;
    std::shared_ptr<Private::compressor> compressor_;
    std::shared_ptr<Private::expander> expander_;
    std::vector<std::int32_t> states_;
};

} // namespace SL
