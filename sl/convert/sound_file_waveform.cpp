#include "sl/convert/sound_file_waveform.h"

#include "sl/files/file_data_source.h"
#include "sl/model/sound_bounds.h"

#include <fcntl.h>
#include <sndfile.h>

#include <memory>
#include <vector>

namespace SL {

namespace {

constexpr sf_count_t BlockFrames = 4096;

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

} // namespace

std::optional<CWaveform> ReadSoundFileWaveform(const std::string& path, int columnCount,
                                               const std::atomic<bool>& cancelled) {
    if (columnCount <= 0) {
        return std::nullopt;
    }
    // A FIFO or device is refused at once rather than blocking the worker in its open.
    const int descriptor = OpenRegularFileForReading(path, O_CLOEXEC);
    if (descriptor < 0) {
        return std::nullopt;
    }
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, SndfileCloser> file(
        sf_open_fd(descriptor, SFM_READ, &info, SF_TRUE));
    // The block below is sized from the header's channel count.
    if (!file || info.frames <= 0 ||
        !CheckSoundBounds(info.samplerate, info.channels, info.frames).withinBounds()) {
        return std::nullopt;
    }
    CWaveformBuilder builder(info.channels, columnCount, info.frames);
    std::vector<float> block(static_cast<std::size_t>(BlockFrames * info.channels));
    for (;;) {
        if (cancelled.load(std::memory_order_relaxed)) {
            return std::nullopt;
        }
        const sf_count_t frames = sf_readf_float(file.get(), block.data(), BlockFrames);
        const auto samples = static_cast<std::size_t>(frames * info.channels);
        for (std::size_t i = 0; i < samples; ++i) {
            builder.Add(block[i]);
        }
        if (frames < BlockFrames) {
            break;
        }
    }
    // A compressed file's announced length may be an estimate; what was read is the sound, and
    // any columns past it stay silent. A read error is a damaged file.
    if (sf_error(file.get()) != SF_ERR_NO_ERROR) {
        return std::nullopt;
    }
    CWaveform waveform = builder.Finish();
    waveform.setSampleRate(info.samplerate);
    return waveform;
}

} // namespace SL
