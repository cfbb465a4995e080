#include "tests/support/sound_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace ZQ3::Fixture {
namespace {

sf_count_t ReadFrames(SNDFILE* file, std::int16_t* samples, sf_count_t frames) {
    return sf_readf_short(file, samples, frames);
}
sf_count_t ReadFrames(SNDFILE* file, int* samples, sf_count_t frames) {
    return sf_readf_int(file, samples, frames);
}
sf_count_t ReadFrames(SNDFILE* file, double* samples, sf_count_t frames) {
    return sf_readf_double(file, samples, frames);
}

Container ContainerOf(int format) {
    switch (format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV:
        return Container::Wave;
    case SF_FORMAT_AIFF:
        return Container::Aiff;
    default:
        return Container::Other;
    }
}

int BitsPerSampleOf(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 8;
    case SF_FORMAT_PCM_16:
        return 16;
    case SF_FORMAT_PCM_24:
        return 24;
    case SF_FORMAT_PCM_32:
        return 32;
    default:
        return 0;
    }
}

} // namespace

template <typename Sample>
std::optional<SoundFile<Sample>> ReadSoundFile(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        return std::nullopt;
    }
    SoundFile<Sample> sound;
    sound.container = ContainerOf(info.format);
    sound.bitsPerSample = BitsPerSampleOf(info.format);
    const int encoding = info.format & SF_FORMAT_SUBMASK;
    sound.floating = encoding == SF_FORMAT_FLOAT || encoding == SF_FORMAT_DOUBLE;
    sound.channels = info.channels;
    sound.sampleRate = info.samplerate;
    sound.samples.resize(static_cast<std::size_t>(info.frames) *
                         static_cast<std::size_t>(info.channels));
    sound.frames = ReadFrames(file, sound.samples.data(), info.frames);
    sf_close(file);
    if (sound.frames != info.frames) {
        return std::nullopt;
    }
    return sound;
}

template std::optional<SoundFile<std::int16_t>> ReadSoundFile(const std::string&);
template std::optional<SoundFile<int>> ReadSoundFile(const std::string&);
template std::optional<SoundFile<double>> ReadSoundFile(const std::string&);

std::vector<std::int16_t> ReadSamples16(const std::string& path, int& channels) {
    auto sound = ReadSoundFile<std::int16_t>(path);
    channels = sound ? sound->channels : 0;
    return sound ? std::move(sound->samples) : std::vector<std::int16_t>{};
}

bool WriteCompressedTone(const std::string& path, CompressedKind kind, int sampleRate, int channels,
                         std::int64_t frames) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    switch (kind) {
    case CompressedKind::Mp3:
        info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
        break;
    case CompressedKind::OggVorbis:
        info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        break;
    case CompressedKind::OggOpus:
        info.format = SF_FORMAT_OGG | SF_FORMAT_OPUS;
        break;
    }
    if (!sf_format_check(&info)) {
        return false;
    }
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        return false;
    }
    std::vector<double> block;
    const double step = 2 * std::numbers::pi * 440.0 / sampleRate;
    bool written = true;
    for (std::int64_t start = 0; start < frames && written; start += 4096) {
        const std::int64_t count = std::min<std::int64_t>(4096, frames - start);
        block.resize(static_cast<std::size_t>(count * channels));
        for (std::int64_t n = 0; n < count; ++n) {
            for (int c = 0; c < channels; ++c) {
                block[static_cast<std::size_t>(n * channels + c)] =
                    0.5 * std::sin(step * static_cast<double>(start + n));
            }
        }
        written = sf_writef_double(file, block.data(), count) == count;
    }
    return sf_close(file) == 0 && written;
}

} // namespace ZQ3::Fixture
