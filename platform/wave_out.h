#pragma once

#include "platform/wave_out_format.h"
#include "platform/wave_out_sink.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace SL {

// Result codes of the output functions; the values follow the long-established numbering of
// waveform-audio output so that logs read the same everywhere.
enum class WaveOutResult : int {
    NoError = 0,
    Error = 1,
    BadDeviceId = 2,
    InvalidHandle = 5,
    InvalidParameter = 11,
    BadFormat = 32,
    StillPlaying = 33,
    Unprepared = 34,
};

enum class WaveOutMessage { Open, Done, Close };

// One buffer of frames handed to an output stream. The caller owns the header and its data;
// from Write() until the stream marks it done, neither may be touched.
struct CWaveOutHeader {
    static constexpr std::uint32_t Done = 0x01;
    static constexpr std::uint32_t Prepared = 0x02;
    static constexpr std::uint32_t InQueue = 0x10;

    std::uint8_t* data = nullptr;
    std::uint32_t bufferLength = 0;
    std::atomic<std::uint32_t> flags{0};

    bool HasFlag(std::uint32_t flag) const { return (flags.load() & flag) != 0; }
};

// An open output stream on one device: buffers are written to a queue and played in order on
// the stream's own thread, each returned (marked done, one Done message) once its last frame
// has been played. A stream may be driven from several threads; its callback runs on the
// stream's thread (or on the thread calling Reset()) and must not call back into the stream.
class CWaveOut {
public:
    using Callback = std::function<void(WaveOutMessage, CWaveOutHeader*)>;

    // The device id that opens the output the user chose as default.
    static constexpr int Mapper = -1;

    static unsigned GetDeviceCount();
    // Every numbered device's name, in id order, from one look at the system.
    static std::vector<std::string> GetDeviceNames();
    // The name of a numbered device, or of the mapper for Mapper.
    static WaveOutResult GetDeviceName(int deviceId, std::string& name);
    // Opens a device for the format; the callback, if any, receives Open before this returns.
    // On failure, failure (if given) says why.
    static WaveOutResult Open(std::unique_ptr<CWaveOut>& stream, int deviceId,
                              const CWaveOutFormat& format, Callback callback = {},
                              CWaveOutOpenFailure* failure = nullptr);

    CWaveOut(const CWaveOut&) = delete;
    CWaveOut& operator=(const CWaveOut&) = delete;
    // Resets and closes a stream that was not closed.
    ~CWaveOut();

    WaveOutResult PrepareHeader(CWaveOutHeader& header);
    // StillPlaying while the buffer is queued and not yet played.
    WaveOutResult UnprepareHeader(CWaveOutHeader& header);
    WaveOutResult Write(CWaveOutHeader& header);
    WaveOutResult Pause();
    WaveOutResult Restart();
    // Stops at once and returns every queued buffer as done; the position starts again at 0.
    // Returns after the buffers' Done messages have been delivered.
    WaveOutResult Reset();
    // Frames played since the open or the last reset, wrapping at 32 bits.
    WaveOutResult GetPosition(std::uint32_t& samples) const;
    // StillPlaying while buffers are queued; otherwise lets the device play out and closes.
    WaveOutResult Close();

private:
    CWaveOut(std::unique_ptr<IWaveOutSink> sink, const CWaveOutFormat& format, Callback callback);

    void Play();
    void Notify(WaveOutMessage message, CWaveOutHeader* header);

    std::unique_ptr<IWaveOutSink> sink_;
    const CWaveOutFormat format_;
    const Callback callback_;
    const std::size_t chunkFrames_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable resetDone_;
    std::deque<CWaveOutHeader*> queue_;
    // Bytes of the front buffer already played.
    std::size_t frontOffset_ = 0;
    bool paused_ = false;
    bool sinkPaused_ = false;
    bool resetRequested_ = false;
    std::uint64_t resetGeneration_ = 0;
    bool closing_ = false;
    bool closed_ = false;
    std::uint64_t playedFrames_ = 0;
    std::uint64_t sinkDelay_ = 0;

    std::thread player_;
};

} // namespace SL
