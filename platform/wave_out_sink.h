#pragma once

#include "platform/wave_out_format.h"

#include <cstddef>
#include <cstdint>

namespace SL {

// Where an output stream's frames go: a sound card or a clock-paced stand-in. A stream calls
// its sink from one thread only, after a successful Open().
class IWaveOutSink {
public:
    virtual ~IWaveOutSink() = default;
    virtual bool Open(const CWaveOutFormat& format) = 0;
    // Plays the frames, blocking for about as long as they last once the sink's own buffer is
    // full; false when the frames were lost.
    virtual bool Render(const std::uint8_t* frames, std::size_t frameCount) = 0;
    // Frames handed to Render() that are not yet audible.
    virtual std::uint64_t GetDelay() = 0;
    // No frames follow for a while (the queue ran dry or the stream was paused).
    virtual void Idle() = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    // Throws away whatever is not yet audible.
    virtual void Discard() = 0;
    // Lets the rest play out, then closes.
    virtual void Close() = 0;
};

} // namespace SL
