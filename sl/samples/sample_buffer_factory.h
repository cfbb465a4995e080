#pragma once

#include "sl/samples/sample_attribute.h"
#include "sl/samples/sample_buffer.h"

#include <cstdint>
#include <memory>

namespace SL {

// Makes sample buffers of one shape whose length is given as a time: the playback ring and
// the device buffers. The frame count follows the buffer-length rule:
//     rate × max(time, minimum frames / rate), rounded half away from zero,
// clamped to the signed 32-bit range; without a set time (or without a rate) the minimum
// frame count is the length.
class ASampleBufferFactory {
public:
    virtual ~ASampleBufferFactory() = default;

    // A new buffer of the factory's bit depth, channel count and frame count; empty for a bit
    // depth the factory cannot make.
    virtual std::shared_ptr<ISampleBuffer> CreateSampleBuffer() = 0;

    const CSampleAttribute& GetAttribute() const { return attribute_; }
    // Takes the shape of a stream: its bit depth, rate and channel count.
    void SetAttribute(const CSampleAttribute& attribute);

    void SetTime(double seconds) {
        time_ = seconds;
        timeSet_ = true;
    }
    double GetTime() const { return time_; }
    bool IsTimeSet() const { return timeSet_; }
    void SetMinimumFrameCount(std::int32_t frames) { minimumFrameCount_ = frames; }
    std::int32_t GetMinimumFrameCount() const { return minimumFrameCount_; }

    std::int32_t GetFrameCount() const;
    // The time one buffer lasts: the larger of the set time and the minimum frames' time.
    double GetEffectiveTime() const;

private:
    CSampleAttribute attribute_;
    double time_ = 0.0;
    bool timeSet_ = false;
    // Every buffer holds at least one frame, so a ring always has room for something.
    std::int32_t minimumFrameCount_ = 1;
};

} // namespace SL
