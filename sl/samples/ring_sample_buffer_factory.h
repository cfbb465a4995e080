#pragma once

#include "sl/samples/sample_buffer_factory.h"

#include <memory>

namespace SL {

// Makes the playback ring for a stream's bit depth and channel count, with room for the
// factory's frame count.
class CRingSampleBufferFactory : public ASampleBufferFactory {
public:
    // A CRingSampleBuffer of the attribute's bit depth; empty for a depth without rings.
    std::shared_ptr<ISampleBuffer> CreateSampleBuffer() override;
};

} // namespace SL
