#include "sl/samples/sample_attribute.h"

namespace SL {

CSampleAttribute::CSampleAttribute(const CBitDepth& bitDepth, double sampleRate,
                                   std::int32_t channelCount, std::int32_t length, int endianness)
    : GT::CEndianed(endianness), bitDepth_(bitDepth), sampleRate_(sampleRate),
      channelCount_(channelCount), length_(length) {}

std::int64_t CSampleAttribute::GetBytesPerFrame() const {
    return channelCount_ > 0 ? std::int64_t{channelCount_} * GetBytesPerSample() : 0;
}

std::int64_t CSampleAttribute::GetSampleCount() const {
    return channelCount_ > 0 && length_ > 0 ? std::int64_t{channelCount_} * length_ : 0;
}

bool operator==(const CSampleAttribute& a, const CSampleAttribute& b) {
    return a.GetEndianness() == b.GetEndianness() && a.bitDepth_ == b.bitDepth_ &&
           a.sampleRate_ == b.sampleRate_ && a.channelCount_ == b.channelCount_ &&
           a.length_ == b.length_;
}

} // namespace SL
