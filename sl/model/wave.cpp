#include "sl/model/wave.h"

namespace SL {

CWave<0x20040>::CWave(const CWaveFormat& waveFormat)
    : waveFormat_(waveFormat),
      properties_(std::make_shared<CProperties>()), loops_{std::make_shared<CLoop>()},
      channels_(std::make_shared<CChannelCollection>(waveFormat)) {}

std::shared_ptr<ICloneable> CWave<0x20040>::Clone() const {
    auto copy = std::make_shared<CWave>(*this);
    copy->properties_ = std::make_shared<CProperties>(*properties_);
    for (std::shared_ptr<ILoop>& loop : copy->loops_) {
        loop = std::dynamic_pointer_cast<ILoop>(loop->Clone());
    }
    for (std::shared_ptr<IEnvelope>& envelope : copy->envelopes_) {
        envelope = std::dynamic_pointer_cast<IEnvelope>(envelope->Clone());
    }
    if (channels_) {
        copy->channels_ = std::dynamic_pointer_cast<IChannelCollection>(channels_->Clone());
    }
    return copy;
}

} // namespace SL
