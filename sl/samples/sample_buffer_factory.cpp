#include "sl/samples/sample_buffer_factory.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace SL {

void ASampleBufferFactory::SetAttribute(const CSampleAttribute& attribute) {
    attribute_.SetBitDepth(attribute.GetBitDepth());
    attribute_.SetSampleRate(attribute.GetSampleRate());
    attribute_.SetChannelCount(attribute.GetChannelCount());
}

double ASampleBufferFactory::GetEffectiveTime() const {
    const double rate = attribute_.GetSampleRate();
    const double minimum = rate > 0.0 ? minimumFrameCount_ / rate : 0.0;
    return timeSet_ ? std::max(time_, minimum) : minimum;
}

std::int32_t ASampleBufferFactory::GetFrameCount() const {
    const double rate = attribute_.GetSampleRate();
    if (!timeSet_ || !(rate > 0.0)) {
        return minimumFrameCount_;
    }
    const double frames = std::round(rate * GetEffectiveTime());
    // Also catches a time that is not a number: no comparison with it holds.
    if (!(frames >= 0.0)) {
        return minimumFrameCount_;
    }
    return frames >= double(std::numeric_limits<std::int32_t>::max())
               ? std::numeric_limits<std::int32_t>::max()
               : static_cast<std::int32_t>(frames);
}

} // namespace SL
