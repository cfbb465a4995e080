#include "sl/codec/vexa_coding.h"

#include <cstddef>

namespace SL {

namespace {

constexpr std::size_t kSamples = Private::kVexaFrameSamples;

// Whether elements channel, channel + stride, ..., channel + 15 * stride all lie in a buffer of
// `size` elements, without the index arithmetic overflowing.
bool HoldsChannel(std::size_t size, std::size_t stride, std::size_t channel) {
    return stride != 0 && channel < size && (size - 1 - channel) / (kSamples - 1) >= stride;
}

} // namespace

std::shared_ptr<CVexaCoding> CVexaCoding::Create(int bitsPerSample) {
    if (!Private::IsValidVexaBitsPerSample(bitsPerSample)) {
        return {};
    }
    return std::shared_ptr<CVexaCoding>(new CVexaCoding(bitsPerSample));
}

CVexaCoding::CVexaCoding(int bitsPerSample)
    : bitsPerSample_(bitsPerSample), compressor_(std::make_shared<Private::compressor>()),
      expander_(std::make_shared<Private::expander>()) {}

std::shared_ptr<CVexaCoder::ICoding> CVexaCoding::Clone() const {
    auto clone = Create(bitsPerSample_);
    clone->states_ = states_;
    return clone;
}

std::int32_t CVexaCoding::GetState(std::size_t channel) const {
    return channel < states_.size() ? states_[channel] : 0;
}

void CVexaCoding::SetState(std::size_t channel, std::int32_t state) {
    StateOf(channel) = state;
}

std::optional<std::int32_t> CVexaCoding::Encode(std::span<const std::int16_t> samples,
                                                std::size_t stride, std::size_t channel,
                                                std::span<std::uint8_t> frame) {
    if (!HoldsChannel(samples.size(), stride, channel) ||
        frame.size() < static_cast<std::size_t>(Private::VexaFrameBytes(bitsPerSample_))) {
        return std::nullopt;
    }
    return EncodeFrame(samples.data(), stride, channel, frame.data());
}

std::optional<std::int32_t> CVexaCoding::Decode(std::span<const std::uint8_t> frame,
                                                std::span<std::int16_t> samples, std::size_t stride,
                                                std::size_t channel) {
    if (!HoldsChannel(samples.size(), stride, channel) ||
        frame.size() < static_cast<std::size_t>(Private::VexaFrameBytes(bitsPerSample_))) {
        return std::nullopt;
    }
    return DecodeFrame(frame.data(), samples.data(), stride, channel);
}

} // namespace SL
