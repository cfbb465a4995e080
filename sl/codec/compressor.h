#pragma once

#include "sl/codec/vexa_frame_layout.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace SL::Private {

// Encodes one frame of 16 samples of one channel into the 2N bytes of the sampler's format.
// It keeps the parameters of the last frame it coded, which tells a caller (and a test) which
// mode and range the frame was given.
class compressor {
public:
    using CSamples = std::span<const std::int16_t, kVexaFrameSamples>;
    using CReconstruction = std::array<std::int32_t, kVexaFrameSamples>;

    // Codes the samples with `state` (the channel's last reconstructed sample) as anchor and
    // writes VexaFrameBytes(bitsPerSample) bytes to `frame`. Answers the new channel state.
    // bitsPerSample must be valid and `frame` must hold the frame: the caller checks both.
    std::int32_t Compress(int bitsPerSample, CSamples samples, std::int32_t state,
                          std::uint8_t* frame);
    // The same, also handing back the reconstruction the decoder will arrive at.
    std::int32_t Compress(int bitsPerSample, CSamples samples, std::int32_t state,
                          std::uint8_t* frame, CReconstruction& reconstruction);
    // The same for the 16 samples samples[0], samples[stride], ...: one channel of an
    // interleaved buffer, taken from its places without a copy by the caller.
    std::int32_t Compress(int bitsPerSample, const std::int16_t* samples, std::size_t stride,
                          std::int32_t state, std::uint8_t* frame);

    std::int16_t GetRangeExponent() const { return rangeExponent_; }
    char16_t GetMode() const { return static_cast<char16_t>(mode_); }
    std::int32_t GetMask() const { return mask_; }
    std::int32_t GetHalfStep() const { return halfStep_; }

    // The magnitude accumulators of the last frame's analysis.
    enum EAccumulator { R7, R3, R15, Q3, Q15, Qe, AccumulatorCount = 8 };
    std::int32_t GetAccumulator(EAccumulator which) const { return accumulators_[which]; }

private:
    template <int N, bool KeepReconstruction>
    std::int32_t CompressFrame(CSamples samples, std::int32_t state, std::uint8_t* frame,
                               std::int32_t* reconstruction);

    std::int16_t rangeExponent_ = 0;
    std::uint16_t mode_ = 0;
    std::int32_t mask_ = 0;
    std::int32_t halfStep_ = 0;
    std::array<std::int32_t, AccumulatorCount> accumulators_{};
};

} // namespace SL::Private
