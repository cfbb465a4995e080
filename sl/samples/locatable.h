#pragma once

#include <cstdint>

namespace SL {

// A stream that can be positioned by sample frame.
class ILocatable1D {
public:
    virtual ~ILocatable1D() = default;
    virtual void Seek(std::int64_t frame) = 0;
    // The frame of the current sample.
    virtual std::int64_t GetPosition() const = 0;
    // frames + the current frame position.
    virtual std::int64_t GetOffset(std::int64_t frames) const = 0;
};

} // namespace SL
