#include "sl/samples/ring_sample_buffer_factory.h"

#include "sl/samples/ring_sample_buffer.h"
#include "sl/samples/sample_type.h"

namespace SL {

std::shared_ptr<ISampleBuffer> CRingSampleBufferFactory::CreateSampleBuffer() {
    const auto& attribute = GetAttribute();
    const int channels = attribute.GetChannelCount();
    if (channels <= 0) {
        return nullptr;
    }
    const std::int32_t frames = GetFrameCount();
    return VisitStreamableTag<std::shared_ptr<ISampleBuffer>>(
        attribute.GetBitDepth().GetValue(), [&](auto tag) -> std::shared_ptr<ISampleBuffer> {
            return std::make_shared<CRingSampleBuffer<decltype(tag)::value>>(
                channels, frames, GT::CEndianness::LittleEndian);
        });
}

} // namespace SL
