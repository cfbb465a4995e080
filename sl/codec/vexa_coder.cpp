#include "sl/codec/vexa_coder.h"

#include <algorithm>

namespace SL {

std::shared_ptr<CVexaCoder> CVexaCoder::Create(CFormat format,
                                               const std::vector<int>& framesPerCodingStep,
                                               std::size_t channelCount,
                                               std::shared_ptr<ICoding> coding) {
    if (!coding || channelCount == 0 || format.pcmBitsPerSample != kPcmBitsPerSample ||
        format.bitsPerSample != coding->GetBitsPerSample() ||
        framesPerCodingStep.size() != channelCount ||
        !std::all_of(framesPerCodingStep.begin(), framesPerCodingStep.end(),
                     [](int frames) { return frames == 1; })) {
        return {};
    }
    return std::shared_ptr<CVexaCoder>(new CVexaCoder(format, channelCount, std::move(coding)));
}

std::shared_ptr<CVexaCoder> CVexaCoder::Create(std::size_t channelCount,
                                               std::shared_ptr<ICoding> coding) {
    if (!coding) {
        return {};
    }
    const CFormat format{coding->GetBitsPerSample(), kPcmBitsPerSample};
    return Create(format, std::vector<int>(channelCount, 1), channelCount, std::move(coding));
}

CVexaCoder::CVexaCoder(CFormat format, std::size_t channelCount, std::shared_ptr<ICoding> coding)
    : format_(format), channelCount_(channelCount),
      frameBytes_(2 * static_cast<std::size_t>(format.bitsPerSample)), coding_(std::move(coding)),
      pcm_(kFramesPerBuffer * channelCount, 0), frames_(frameBytes_ * channelCount, 0) {}

std::span<std::uint8_t> CVexaCoder::GetFrameBuffer(std::size_t channel) {
    if (channel >= channelCount_) {
        return {};
    }
    return std::span<std::uint8_t>(frames_).subspan(channel * frameBytes_, frameBytes_);
}

std::span<const std::uint8_t> CVexaCoder::GetFrameBuffer(std::size_t channel) const {
    if (channel >= channelCount_) {
        return {};
    }
    return std::span<const std::uint8_t>(frames_).subspan(channel * frameBytes_, frameBytes_);
}

bool CVexaCoder::Encode(std::size_t channel) {
    if (channel >= channelCount_) {
        return false;
    }
    return coding_->Encode(pcm_, channelCount_, channel, GetFrameBuffer(channel)).has_value();
}

bool CVexaCoder::Decode(std::size_t channel) {
    if (channel >= channelCount_) {
        return false;
    }
    return coding_->Decode(GetFrameBuffer(channel), pcm_, channelCount_, channel).has_value();
}

} // namespace SL
