#include "sl/convert/sound_file_converter.h"

#include "sl/codec/card_sound_format.h"
#include "sl/convert/channel_mixer.h"
#include "sl/convert/tpdf_quantizer.h"
#include "sl/files/file_data_source.h"

#include <sndfile.h>
#include <soxr.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace SL {
namespace {

// Frames read from the source at a time: the unit of the converter's bounded memory.
constexpr std::size_t kBlockFrames = 4096;

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndfileHandle = std::unique_ptr<SNDFILE, SndfileCloser>;

struct SoxrDeleter {
    void operator()(soxr* resampler) const { soxr_delete(resampler); }
};
using SoxrHandle = std::unique_ptr<soxr, SoxrDeleter>;

// Opens the source for libsndfile through the one gate for input files, so that a FIFO or
// device is refused at once instead of blocking the open; failure says which of the two failed.
SndfileHandle OpenForReading(const std::string& path, SF_INFO& info,
                             CConversionResult::Status& failure) {
    info = SF_INFO{};
    const int descriptor = OpenRegularFileForReading(path, O_CLOEXEC);
    if (descriptor < 0) {
        failure = CConversionResult::Status::CannotOpen;
        return nullptr;
    }
    // libsndfile closes the descriptor with the handle, or at once when the open fails.
    SndfileHandle file(sf_open_fd(descriptor, SFM_READ, &info, SF_TRUE));
    if (file && (info.channels < 1 || info.samplerate < 1 || info.frames < 0)) {
        file.reset();
    }
    failure = CConversionResult::Status::CannotRead;
    return file;
}

CSoundBoundsCheck BoundsOf(const SF_INFO& info) {
    return CheckSoundBounds(info.samplerate, info.channels, info.frames);
}

bool IsSixteenBitInteger(const SF_INFO& info) {
    return (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16;
}

int BitsPerSample(const SF_INFO& info) {
    switch (info.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 8;
    case SF_FORMAT_PCM_16:
        return 16;
    case SF_FORMAT_PCM_24:
        return 24;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        return 32;
    case SF_FORMAT_DOUBLE:
        return 64;
    default:
        return 0;
    }
}

std::string FormatName(const SF_INFO& info) {
    SF_FORMAT_INFO format{};
    format.format = info.format & SF_FORMAT_TYPEMASK;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &format, sizeof(format)) != 0 ||
        format.name == nullptr) {
        return {};
    }
    return format.name;
}

// Where the converted float frames go, a block at a time; false stops the conversion.
using FrameSink = std::function<bool(const float* frames, std::size_t frameCount)>;

enum class PassEnd { Done, Damaged, Cancelled, Failed };

// One pass over the source from its start: mixed, resampled, handed to sink.
class CConversionPass {
public:
    CConversionPass(SNDFILE* file, const SF_INFO& info, const CChannelMixer& mixer)
        : file_(file), info_(info), mixer_(mixer) {}

    PassEnd run(const FrameSink& sink, const std::function<bool(std::int64_t)>& advanced) {
        if (sf_seek(file_, 0, SEEK_SET) != 0) {
            return PassEnd::Failed;
        }
        const auto outChannels = static_cast<std::size_t>(mixer_.outputChannels());
        SoxrHandle resampler;
        double ratio = 1.0;
        if (info_.samplerate != CCardSoundFormat::kSampleRate) {
            soxr_error_t error = nullptr;
            const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
            const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
            resampler.reset(soxr_create(info_.samplerate, CCardSoundFormat::kSampleRate,
                                        static_cast<unsigned>(outChannels), &error, &io, &quality,
                                        nullptr));
            if (!resampler || error) {
                return PassEnd::Failed;
            }
            ratio = CCardSoundFormat::kSampleRate / static_cast<double>(info_.samplerate);
        }
        std::vector<float> input(kBlockFrames * static_cast<std::size_t>(info_.channels));
        std::vector<float> mixed(kBlockFrames * outChannels);
        const std::size_t resampledFrames =
            static_cast<std::size_t>(std::ceil(kBlockFrames * ratio)) + 64;
        std::vector<float> resampled(resampledFrames * outChannels);

        std::int64_t readSoFar = 0;
        for (;;) {
            const sf_count_t read =
                sf_readf_float(file_, input.data(), static_cast<sf_count_t>(kBlockFrames));
            if (read < 0) {
                return PassEnd::Damaged;
            }
            if (read == 0) {
                break;
            }
            const auto frames = static_cast<std::size_t>(read);
            readSoFar += read;
            mixer_.mix(input.data(), frames, mixed.data());
            if (!resampler) {
                if (!sink(mixed.data(), frames)) {
                    return PassEnd::Cancelled;
                }
            } else {
                std::size_t consumed = 0;
                while (consumed < frames) {
                    std::size_t inDone = 0;
                    std::size_t outDone = 0;
                    if (soxr_process(resampler.get(), mixed.data() + consumed * outChannels,
                                     frames - consumed, &inDone, resampled.data(), resampledFrames,
                                     &outDone)) {
                        return PassEnd::Failed;
                    }
                    consumed += inDone;
                    if (outDone > 0 && !sink(resampled.data(), outDone)) {
                        return PassEnd::Cancelled;
                    }
                    if (inDone == 0 && outDone == 0) {
                        return PassEnd::Failed;
                    }
                }
            }
            if (!advanced(readSoFar)) {
                return PassEnd::Cancelled;
            }
        }
        if (sf_error(file_) != SF_ERR_NO_ERROR || readSoFar < info_.frames) {
            // The decoder stopped before the length the file announces: a cut-off or damaged
            // file, which would otherwise land on a pad as a shorter sound without a word.
            return PassEnd::Damaged;
        }
        if (resampler) {
            // What the resampler's filter still holds.
            for (;;) {
                std::size_t outDone = 0;
                if (soxr_process(resampler.get(), nullptr, 0, nullptr, resampled.data(),
                                 resampledFrames, &outDone)) {
                    return PassEnd::Failed;
                }
                if (outDone == 0) {
                    break;
                }
                if (!sink(resampled.data(), outDone)) {
                    return PassEnd::Cancelled;
                }
            }
        }
        return PassEnd::Done;
    }

private:
    SNDFILE* file_;
    const SF_INFO& info_;
    const CChannelMixer& mixer_;
};

CConversionResult::Status StatusOf(PassEnd end) {
    switch (end) {
    case PassEnd::Done:
        return CConversionResult::Status::Done;
    case PassEnd::Damaged:
        return CConversionResult::Status::Damaged;
    case PassEnd::Cancelled:
        return CConversionResult::Status::Cancelled;
    case PassEnd::Failed:
        break;
    }
    return CConversionResult::Status::CannotWrite;
}

} // namespace

std::optional<CSoundFileShape> CSoundFileConverter::Probe(const std::string& path) {
    SF_INFO info;
    CConversionResult::Status failure{};
    const SndfileHandle file = OpenForReading(path, info, failure);
    if (!file) {
        return std::nullopt;
    }
    CSoundFileShape shape;
    shape.channelCount = info.channels;
    shape.sampleRate = info.samplerate;
    shape.frameCount = info.frames;
    shape.sixteenBitInteger = IsSixteenBitInteger(info);
    shape.bitsPerSample = BitsPerSample(info);
    shape.formatName = FormatName(info);
    return shape;
}

CConversionResult CSoundFileConverter::Convert(const std::string& input, const std::string& output,
                                               Container container,
                                               const CConversionOptions& options,
                                               const Progress& progress) {
    CConversionResult result;
    SF_INFO inInfo;
    const SndfileHandle source = OpenForReading(input, inInfo, result.status);
    if (!source) {
        return result;
    }
    // Before any buffer or resampler is sized from the header.
    result.bounds = BoundsOf(inInfo);
    if (!result.bounds.withinBounds()) {
        result.status = CConversionResult::Status::OutOfBounds;
        return result;
    }
    const CChannelMixer mixer(inInfo.channels, options.mono);
    const bool copyExactly = IsSixteenBitInteger(inInfo) &&
                             inInfo.samplerate == CCardSoundFormat::kSampleRate &&
                             inInfo.channels == mixer.outputChannels() && !options.normalizePeakDb;
    result.copiedUnchanged = copyExactly;

    const int descriptor =
        ::open(output.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        result.status = CConversionResult::Status::CannotWrite;
        result.writeError = errno;
        return result;
    }
    SF_INFO outInfo{};
    outInfo.samplerate = CCardSoundFormat::kSampleRate;
    outInfo.channels = mixer.outputChannels();
    outInfo.format =
        (container == Container::Wave ? SF_FORMAT_WAV : SF_FORMAT_AIFF) | SF_FORMAT_PCM_16;
    SndfileHandle target(sf_open_fd(descriptor, SFM_WRITE, &outInfo, SF_TRUE));
    if (!target) {
        // The header's write is the first to meet a full disk.
        result.writeError = errno;
        ::close(descriptor);
        ::unlink(output.c_str());
        result.status = CConversionResult::Status::CannotWrite;
        return result;
    }

    const std::int64_t passes = options.normalizePeakDb && !copyExactly ? 2 : 1;
    const std::int64_t total = passes * inInfo.frames;
    std::int64_t earlierPasses = 0;
    const auto advanced = [&](std::int64_t read) {
        return !progress || progress(earlierPasses + read, total);
    };
    auto finish = [&](CConversionResult::Status status) {
        target.reset();
        result.status = status;
        if (status != CConversionResult::Status::Done) {
            ::unlink(output.c_str());
            result.framesWritten = 0;
        }
        return result;
    };

    if (copyExactly) {
        std::vector<short> block(kBlockFrames * static_cast<std::size_t>(inInfo.channels));
        std::int64_t read = 0;
        for (;;) {
            const sf_count_t got =
                sf_readf_short(source.get(), block.data(), static_cast<sf_count_t>(kBlockFrames));
            if (got <= 0) {
                break;
            }
            if (sf_writef_short(target.get(), block.data(), got) != got) {
                result.writeError = errno;
                return finish(CConversionResult::Status::CannotWrite);
            }
            read += got;
            result.framesWritten += got;
            if (!advanced(read)) {
                return finish(CConversionResult::Status::Cancelled);
            }
        }
        return finish(sf_error(source.get()) != SF_ERR_NO_ERROR || read < inInfo.frames
                          ? CConversionResult::Status::Damaged
                          : CConversionResult::Status::Done);
    }

    CConversionPass pass(source.get(), inInfo, mixer);
    const auto outChannels = static_cast<std::size_t>(mixer.outputChannels());
    float gain = 1.0f;
    if (options.normalizePeakDb) {
        float peak = 0.0f;
        const PassEnd measured = pass.run(
            [&](const float* frames, std::size_t frameCount) {
                for (std::size_t i = 0; i < frameCount * outChannels; ++i) {
                    peak = std::max(peak, std::fabs(frames[i]));
                }
                return true;
            },
            advanced);
        if (measured != PassEnd::Done) {
            return finish(StatusOf(measured));
        }
        if (peak > 0.0f && std::isfinite(peak)) {
            gain = static_cast<float>(std::pow(10.0, *options.normalizePeakDb / 20.0) / peak);
        }
        earlierPasses = inInfo.frames;
    }

    CTpdfQuantizer quantizer(true);
    std::vector<float> scaled;
    std::vector<short> samples;
    bool written = true;
    const PassEnd converted = pass.run(
        [&](const float* frames, std::size_t frameCount) {
            const std::size_t count = frameCount * outChannels;
            scaled.assign(frames, frames + count);
            if (gain != 1.0f) {
                for (float& value : scaled) {
                    value *= gain;
                }
            }
            samples.resize(count);
            quantizer.quantize(scaled.data(), count, samples.data());
            const auto frameTotal = static_cast<sf_count_t>(frameCount);
            if (sf_writef_short(target.get(), samples.data(), frameTotal) != frameTotal) {
                result.writeError = errno;
                written = false;
                return false;
            }
            result.framesWritten += frameTotal;
            return true;
        },
        advanced);
    result.clippedSamples = quantizer.clippedSamples();
    if (!written) {
        return finish(CConversionResult::Status::CannotWrite);
    }
    return finish(StatusOf(converted));
}

} // namespace SL
