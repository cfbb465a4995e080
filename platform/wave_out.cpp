#include "platform/wave_out.h"

#include "gt/thread.h"
#include "platform/wave_out_backend.h"
#include "platform/wave_out_sink.h"

#include <algorithm>
#include <string>
#include <vector>

namespace SL {

unsigned CWaveOut::GetDeviceCount() {
    return static_cast<unsigned>(CWaveOutBackend::FromEnvironment().GetDeviceNames().size());
}

std::vector<std::string> CWaveOut::GetDeviceNames() {
    return CWaveOutBackend::FromEnvironment().GetDeviceNames();
}

WaveOutResult CWaveOut::GetDeviceName(int deviceId, std::string& name) {
    const auto backend = CWaveOutBackend::FromEnvironment();
    if (deviceId == Mapper) {
        name = backend.GetMapperName();
        return name.empty() ? WaveOutResult::BadDeviceId : WaveOutResult::NoError;
    }
    const auto names = backend.GetDeviceNames();
    if (deviceId < 0 || static_cast<std::size_t>(deviceId) >= names.size()) {
        return WaveOutResult::BadDeviceId;
    }
    name = names[static_cast<std::size_t>(deviceId)];
    return WaveOutResult::NoError;
}

WaveOutResult CWaveOut::Open(std::unique_ptr<CWaveOut>& stream, int deviceId,
                             const CWaveOutFormat& format, Callback callback,
                             CWaveOutOpenFailure* failure) {
    using Reason = CWaveOutOpenFailure::Reason;
    stream.reset();
    const auto backend = CWaveOutBackend::FromEnvironment();
    const auto fail = [&](CWaveOutOpenFailure why, WaveOutResult result) {
        if (failure != nullptr) {
            *failure = std::move(why);
        }
        return result;
    };
    if (!format.IsPlayable()) {
        return fail({Reason::FormatRefused, backend.GetMapperName(), {}}, WaveOutResult::BadFormat);
    }
    auto sink = backend.CreateSink(deviceId);
    if (!sink) {
        return backend.GetKind() == CWaveOutBackend::Kind::None
                   ? fail({Reason::UnknownOutput, backend.GetUnknownChoice(), {}},
                          WaveOutResult::BadDeviceId)
                   : fail({Reason::NoSuchDevice, std::to_string(deviceId), {}},
                          WaveOutResult::BadDeviceId);
    }
    if (!sink->Open(format)) {
        CWaveOutOpenFailure why = sink->GetOpenFailure();
        if (!why) {
            why = {Reason::DeviceUnavailable, backend.GetMapperName(), {}};
        }
        return fail(std::move(why), WaveOutResult::Error);
    }
    stream.reset(new CWaveOut(std::move(sink), format, std::move(callback)));
    stream->Notify(WaveOutMessage::Open, nullptr);
    return WaveOutResult::NoError;
}

CWaveOut::CWaveOut(std::unique_ptr<IWaveOutSink> sink, const CWaveOutFormat& format,
                   Callback callback)
    : sink_(std::move(sink)), format_(format), callback_(std::move(callback)),
      // Frames go to the sink in 10 ms pieces: a pause or a reset waits for one piece at most.
      chunkFrames_(std::max<std::size_t>(1, format.samplesPerSecond / 100)) {
    player_ = std::thread(&CWaveOut::Play, this);
}

CWaveOut::~CWaveOut() {
    bool closed = false;
    {
        std::lock_guard lock(mutex_);
        closed = closed_;
    }
    if (!closed) {
        Reset();
        Close();
    }
}

void CWaveOut::Notify(WaveOutMessage message, CWaveOutHeader* header) {
    if (callback_) {
        callback_(message, header);
    }
}

WaveOutResult CWaveOut::PrepareHeader(CWaveOutHeader& header) {
    if (header.data == nullptr && header.bufferLength != 0) {
        return WaveOutResult::InvalidParameter;
    }
    std::lock_guard lock(mutex_);
    if (closed_) {
        return WaveOutResult::InvalidHandle;
    }
    header.flags.fetch_or(CWaveOutHeader::Prepared);
    return WaveOutResult::NoError;
}

WaveOutResult CWaveOut::UnprepareHeader(CWaveOutHeader& header) {
    std::lock_guard lock(mutex_);
    if (header.HasFlag(CWaveOutHeader::InQueue)) {
        return WaveOutResult::StillPlaying;
    }
    header.flags.fetch_and(~CWaveOutHeader::Prepared);
    return WaveOutResult::NoError;
}

WaveOutResult CWaveOut::Write(CWaveOutHeader& header) {
    {
        std::lock_guard lock(mutex_);
        if (closed_ || closing_) {
            return WaveOutResult::InvalidHandle;
        }
        if (!header.HasFlag(CWaveOutHeader::Prepared)) {
            return WaveOutResult::Unprepared;
        }
        if (header.HasFlag(CWaveOutHeader::InQueue)) {
            return WaveOutResult::StillPlaying;
        }
        header.flags.store((header.flags.load() & ~CWaveOutHeader::Done) | CWaveOutHeader::InQueue);
        queue_.push_back(&header);
    }
    wake_.notify_all();
    return WaveOutResult::NoError;
}

WaveOutResult CWaveOut::Pause() {
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return WaveOutResult::InvalidHandle;
        }
        paused_ = true;
    }
    wake_.notify_all();
    return WaveOutResult::NoError;
}

WaveOutResult CWaveOut::Restart() {
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return WaveOutResult::InvalidHandle;
        }
        paused_ = false;
    }
    wake_.notify_all();
    return WaveOutResult::NoError;
}

WaveOutResult CWaveOut::Reset() {
    std::unique_lock lock(mutex_);
    if (closed_ || closing_) {
        return WaveOutResult::InvalidHandle;
    }
    const auto generation = resetGeneration_;
    resetRequested_ = true;
    wake_.notify_all();
    resetDone_.wait(lock, [&] { return resetGeneration_ != generation; });
    return WaveOutResult::NoError;
}

WaveOutResult CWaveOut::GetPosition(std::uint32_t& samples) const {
    std::lock_guard lock(mutex_);
    if (closed_) {
        return WaveOutResult::InvalidHandle;
    }
    const std::uint64_t heard = playedFrames_ > sinkDelay_ ? playedFrames_ - sinkDelay_ : 0;
    samples = static_cast<std::uint32_t>(heard);
    return WaveOutResult::NoError;
}

WaveOutResult CWaveOut::Close() {
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return WaveOutResult::InvalidHandle;
        }
        if (!queue_.empty()) {
            return WaveOutResult::StillPlaying;
        }
        closing_ = true;
    }
    wake_.notify_all();
    player_.join();
    sink_->Close();
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    Notify(WaveOutMessage::Close, nullptr);
    return WaveOutResult::NoError;
}

void CWaveOut::Play() {
    // Playback must not stutter while the rest of the program is busy.
    GT::CThread::applyPriorityToCurrentThread(GT::AThread::TimeCriticalPriority);
    const std::size_t frameBytes = format_.blockAlign;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] {
            return closing_ || resetRequested_ || paused_ != sinkPaused_ ||
                   (!paused_ && !queue_.empty());
        });
        if (resetRequested_) {
            std::vector<CWaveOutHeader*> returned(queue_.begin(), queue_.end());
            queue_.clear();
            frontOffset_ = 0;
            for (auto* header : returned) {
                header->flags.store((header->flags.load() & ~CWaveOutHeader::InQueue) |
                                    CWaveOutHeader::Done);
            }
            sink_->Discard();
            playedFrames_ = 0;
            sinkDelay_ = 0;
            lock.unlock();
            for (auto* header : returned) {
                Notify(WaveOutMessage::Done, header);
            }
            lock.lock();
            resetRequested_ = false;
            ++resetGeneration_;
            resetDone_.notify_all();
            continue;
        }
        if (closing_) {
            return;
        }
        if (paused_ != sinkPaused_) {
            if (paused_) {
                sink_->Pause();
            } else {
                sink_->Resume();
            }
            sinkPaused_ = paused_;
            continue;
        }
        CWaveOutHeader* header = queue_.front();
        const std::size_t remaining = frontOffset_ < header->bufferLength
                                          ? (header->bufferLength - frontOffset_) / frameBytes
                                          : 0;
        if (remaining > 0) {
            const std::size_t frames = std::min(remaining, chunkFrames_);
            const std::uint8_t* data = header->data + frontOffset_;
            // The buffer stays queued, so its owner cannot take it back while it is read here.
            lock.unlock();
            sink_->Render(data, frames);
            const std::uint64_t delay = sink_->GetDelay();
            lock.lock();
            frontOffset_ += frames * frameBytes;
            playedFrames_ += frames;
            sinkDelay_ = delay;
        }
        // A trailing partial frame cannot be played and does not hold the buffer back.
        if (frontOffset_ + frameBytes > header->bufferLength) {
            queue_.pop_front();
            frontOffset_ = 0;
            header->flags.store((header->flags.load() & ~CWaveOutHeader::InQueue) |
                                CWaveOutHeader::Done);
            const bool dry = queue_.empty();
            lock.unlock();
            if (dry) {
                sink_->Idle();
            }
            Notify(WaveOutMessage::Done, header);
            lock.lock();
        }
    }
}

} // namespace SL
