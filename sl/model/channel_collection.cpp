#include "sl/model/channel_collection.h"

namespace SL {

bool IChannelCollection::IsStereoPair() const {
    return GetChannelCount() == 2 && GetChannel(0)->GetPlacement() == -1 &&
           GetChannel(1)->GetPlacement() == 1;
}

CChannelCollection::CChannelCollection(const CWaveFormat& waveFormat, CChannelFactory factory)
    : waveFormat_(waveFormat), factory_(std::move(factory)) {
    if (!factory_) {
        factory_ = [](const CWaveFormat&) { return std::make_shared<CNullChannel>(); };
    }
}

std::shared_ptr<ICloneable> CChannelCollection::Clone() const {
    auto copy = std::make_shared<CChannelCollection>(*this);
    for (std::shared_ptr<IChannel>& channel : *copy) {
        channel = std::dynamic_pointer_cast<IChannel>(channel->Clone());
    }
    return copy;
}

void CChannelCollection::SetChannelCount(std::size_t count) {
    clear();
    reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::shared_ptr<IChannel> channel = factory_(waveFormat_);
        channel->SetRange(GetRange());
        push_back(std::move(channel));
    }
}

std::shared_ptr<IChannel> CChannelCollection::GetChannel(std::size_t index) const {
    return index < size() ? (*this)[index] : nullptr;
}

void CChannelCollection::SetRange(const CRange& range) {
    CLocatedRange::SetRange(range);
    for (const std::shared_ptr<IChannel>& channel : *this) {
        channel->SetRange(range);
    }
}

CTypedChannelCollection<0x20040>::CTypedChannelCollection(const CWaveFormat& waveFormat)
    : CChannelCollection(waveFormat, [](const CWaveFormat&) -> std::shared_ptr<IChannel> {
          return std::make_shared<CChannel<0x20040>>();
      }) {}

std::shared_ptr<CChannel<0x20040>>
CTypedChannelCollection<0x20040>::GetTypedChannel(std::size_t index) const {
    return std::dynamic_pointer_cast<CChannel<0x20040>>(GetChannel(index));
}

} // namespace SL
