#pragma once

#include "sl/codec/vexa_frame_layout.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace SL::Private {

// Decodes one 2N-byte frame of the sampler's format into 16 samples of one channel. Every byte
// pattern is a frame: the decoder is what defines the format, including the frames the
// compressor never writes. It keeps the parameters of the last frame it decoded.
class expander {
public:
    using CSamples = std::span<std::int16_t, kVexaFrameSamples>;
    using CReconstruction = std::array<std::int32_t, kVexaFrameSamples>;

    // Decodes VexaFrameBytes(bitsPerSample) bytes from `frame` with `state` as anchor into
    // `samples`. Answers the new channel state: the unclamped 32-bit reconstruction of the last
    // sample. bitsPerSample must be valid and `frame` must hold the frame: the caller checks.
    std::int32_t Expand(int bitsPerSample, const std::uint8_t* frame, std::int32_t state,
                        CSamples samples);
    // The same, also handing back the 32-bit reconstructions the predictions ran on.
    std::int32_t Expand(int bitsPerSample, const std::uint8_t* frame, std::int32_t state,
                        CSamples samples, CReconstruction& reconstruction);
    // The same, writing sample i to samples[i * stride]: straight into one channel's places in
    // an interleaved buffer, which saves a stream a copy per frame.
    std::int32_t Expand(int bitsPerSample, const std::uint8_t* frame, std::int32_t state,
                        std::int16_t* samples, std::size_t stride);

    // Decodes `count` consecutive frames, frame k's sample i going to samples[(16k + i) * stride]:
    // a run of one channel's frames straight into an interleaved buffer. The same as `count`
    // calls of the Expand above, each anchored on the state the one before answered, with the
    // format chosen once for the run rather than for every frame. Answers the last state.
    std::int32_t ExpandRun(int bitsPerSample, const std::uint8_t* frames, std::size_t count,
                           std::int32_t state, std::int16_t* samples, std::size_t stride);

    std::int16_t GetRangeExponent() const { return rangeExponent_; }
    char16_t GetMode() const { return static_cast<char16_t>(mode_); }
    std::int32_t GetMask() const { return mask_; }
    std::int32_t GetHalfStep() const { return halfStep_; }

private:
    template <int N>
    std::int32_t ExpandFrames(const std::uint8_t* frames, std::size_t count, std::int32_t state,
                              std::int16_t* samples, std::size_t stride);
    template <int N, std::size_t Stride>
    std::int32_t ExpandFramesAt(const std::uint8_t* frames, std::size_t count, std::int32_t state,
                                std::int16_t* samples, std::size_t stride);
    template <int N>
    std::int32_t ExpandFrame(const std::uint8_t* frame, std::int32_t state, std::int16_t* samples,
                             std::size_t stride, std::int32_t* reconstruction);

    std::int16_t rangeExponent_ = 0;
    std::uint16_t mode_ = 0;
    std::int32_t mask_ = 0;
    std::int32_t halfStep_ = 0;
};

} // namespace SL::Private
