#pragma once

#include "platform/wave_out_format.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace SL {

// Why an output could not be opened, kept in the system's own terms so that the layers above
// can tell the user what failed and what to do about it.
struct CWaveOutOpenFailure {
    enum class Reason {
        None,
        // ZQ3_AUDIO_OUT names no kind of output the program knows.
        UnknownOutput,
        // The device id names no device.
        NoSuchDevice,
        // The device exists in the configuration but could not be opened (no sound card, busy).
        DeviceUnavailable,
        // The device opened, but refused the stream's rate, channel count or sample type.
        FormatRefused,
        // The file that a wav: output captures to could not be created.
        CaptureFileUnwritable,
    };

    Reason reason = Reason::None;
    // What was asked for: the ZQ3_AUDIO_OUT value for UnknownOutput, the device's name (or the
    // capture file's path) otherwise.
    std::string output;
    // The system's own words for the failure (ALSA's, or the file system's); may be empty.
    std::string systemText;

    explicit operator bool() const { return reason != Reason::None; }
};

// Where an output stream's frames go: a sound card or a clock-paced stand-in. A stream calls
// its sink from one thread only, after a successful Open().
class IWaveOutSink {
public:
    virtual ~IWaveOutSink() = default;
    virtual bool Open(const CWaveOutFormat& format) = 0;
    // Why the last Open() failed.
    virtual CWaveOutOpenFailure GetOpenFailure() const { return {}; }
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
