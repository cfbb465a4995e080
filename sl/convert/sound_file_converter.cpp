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
#include <functional>
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

// Reads the source once from frame 0 without resampling, mixed as the conversion mixes it,
// handing each block and the index of its first frame to visit.
PassEnd ScanSource(SNDFILE* file, const SF_INFO& info, const CChannelMixer& mixer,
                   const std::function<void(const float*, std::size_t, std::int64_t)>& visit,
                   const std::function<bool(std::int64_t)>& advanced) {
    if (sf_seek(file, 0, SEEK_SET) != 0) {
        return PassEnd::Failed;
    }
    const auto outChannels = static_cast<std::size_t>(mixer.outputChannels());
    std::vector<float> input(kBlockFrames * static_cast<std::size_t>(info.channels));
    std::vector<float> mixed(kBlockFrames * outChannels);
    std::int64_t readSoFar = 0;
    for (;;) {
        const sf_count_t read =
            sf_readf_float(file, input.data(), static_cast<sf_count_t>(kBlockFrames));
        if (read < 0) {
            return PassEnd::Damaged;
        }
        if (read == 0) {
            break;
        }
        mixer.mix(input.data(), static_cast<std::size_t>(read), mixed.data());
        visit(mixed.data(), static_cast<std::size_t>(read), readSoFar);
        readSoFar += read;
        if (!advanced(readSoFar)) {
            return PassEnd::Cancelled;
        }
    }
    if (sf_error(file) != SF_ERR_NO_ERROR || readSoFar < info.frames) {
        return PassEnd::Damaged;
    }
    return PassEnd::Done;
}

// Frames of the source's rate and of the card's, one into the other.
struct RateMapping {
    double ratio = 1.0;

    std::int64_t toCard(std::int64_t sourceFrame) const {
        return std::llround(static_cast<double>(sourceFrame) * ratio);
    }
    std::int64_t toSource(std::int64_t cardFrame) const {
        return std::llround(static_cast<double>(cardFrame) / ratio);
    }
};

RateMapping MappingOf(const SF_INFO& info) {
    return {CCardSoundFormat::kSampleRate / static_cast<double>(info.samplerate)};
}

// The span processing keeps of the source: a first pass finds the loud part when trimming.
PassEnd FindKeptSpan(SNDFILE* file, const SF_INFO& info, const CChannelMixer& mixer,
                     const CSoundProcessing& processing,
                     const std::function<bool(std::int64_t)>& advanced, CKeptSpan& span) {
    const RateMapping mapping = MappingOf(info);
    const std::int64_t streamFrames = mapping.toCard(info.frames);
    std::optional<std::int64_t> loudBegin;
    std::int64_t loudEnd = 0;
    if (processing.trimThresholdDb) {
        // Only the region is searched, so that a loud sound outside it cannot widen the trim.
        CSoundProcessing regionOnly;
        regionOnly.startSeconds = processing.startSeconds;
        regionOnly.endSeconds = processing.endSeconds;
        const CKeptSpan region = PlanKeptSpan(regionOnly, streamFrames, std::nullopt, 0);
        const std::int64_t from = mapping.toSource(region.begin);
        const std::int64_t to = mapping.toSource(region.end);
        const auto threshold =
            static_cast<float>(std::pow(10.0, *processing.trimThresholdDb / 20.0));
        const auto channels = static_cast<std::size_t>(mixer.outputChannels());
        std::optional<std::int64_t> first;
        std::int64_t last = 0;
        const PassEnd scanned = ScanSource(
            file, info, mixer,
            [&](const float* frames, std::size_t count, std::int64_t start) {
                for (std::size_t i = 0; i < count; ++i) {
                    const std::int64_t frame = start + static_cast<std::int64_t>(i);
                    if (frame < from || frame >= to) {
                        continue;
                    }
                    for (std::size_t c = 0; c < channels; ++c) {
                        if (std::fabs(frames[i * channels + c]) >= threshold) {
                            if (!first) {
                                first = frame;
                            }
                            last = frame;
                            break;
                        }
                    }
                }
            },
            advanced);
        if (scanned != PassEnd::Done) {
            return scanned;
        }
        if (first) {
            loudBegin =
                static_cast<std::int64_t>(std::floor(static_cast<double>(*first) * mapping.ratio));
            loudEnd =
                static_cast<std::int64_t>(std::ceil(static_cast<double>(last + 1) * mapping.ratio));
        }
    }
    span = PlanKeptSpan(processing, streamFrames, loudBegin, loudEnd);
    return PassEnd::Done;
}

// Output files of a conversion, created new; all of them go again unless kept.
class COutputFiles {
public:
    ~COutputFiles() {
        handles_.clear();
        if (!kept_) {
            for (const std::string& path : paths_) {
                ::unlink(path.c_str());
            }
        }
    }

    // Creates the next output; false (with the system's error) when it cannot be written.
    bool open(const std::string& path, CSoundFileConverter::Container container, int channels,
              int& writeError) {
        const int descriptor =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (descriptor < 0) {
            writeError = errno;
            return false;
        }
        paths_.push_back(path);
        SF_INFO outInfo{};
        outInfo.samplerate = CCardSoundFormat::kSampleRate;
        outInfo.channels = channels;
        outInfo.format =
            (container == CSoundFileConverter::Container::Wave ? SF_FORMAT_WAV : SF_FORMAT_AIFF) |
            SF_FORMAT_PCM_16;
        SndfileHandle target(sf_open_fd(descriptor, SFM_WRITE, &outInfo, SF_TRUE));
        if (!target) {
            // The header's write is the first to meet a full disk.
            writeError = errno;
            ::close(descriptor);
            return false;
        }
        handles_.push_back(std::move(target));
        return true;
    }

    SNDFILE* operator[](std::size_t index) const { return handles_[index].get(); }
    // Closes every output, keeping them.
    void keep() {
        handles_.clear();
        kept_ = true;
    }

private:
    std::vector<std::string> paths_;
    std::vector<SndfileHandle> handles_;
    bool kept_ = false;
};

// Converts the spans of the source's converted stream into the outputs, one pass over the
// source (two when normalising), stopping once the last span is written.
CConversionResult WriteSpans(SNDFILE* source, const SF_INFO& info, const CChannelMixer& mixer,
                             const std::vector<std::string>& outputs,
                             const std::vector<CKeptSpan>& spans,
                             CSoundFileConverter::Container container,
                             const CConversionOptions& options, std::int64_t earlierPasses,
                             const CSoundFileConverter::Progress& progress) {
    CConversionResult result;
    result.bounds = BoundsOf(info);
    COutputFiles files;
    for (const std::string& output : outputs) {
        if (!files.open(output, container, mixer.outputChannels(), result.writeError)) {
            result.status = CConversionResult::Status::CannotWrite;
            return result;
        }
    }
    const std::int64_t passes =
        earlierPasses / std::max<std::int64_t>(info.frames, 1) + (options.normalizePeakDb ? 2 : 1);
    const std::int64_t total = passes * info.frames;
    const auto advanced = [&](std::int64_t read) {
        return !progress || progress(earlierPasses + read, total);
    };
    const auto outChannels = static_cast<std::size_t>(mixer.outputChannels());
    std::int64_t lastEnd = 0;
    for (const CKeptSpan& span : spans) {
        lastEnd = std::max(lastEnd, span.end);
    }
    // Walks a pass's blocks over the spans: each kept frame with its span's index and gain.
    const auto overSpans =
        [&](const std::function<void(std::size_t, const float*, std::size_t, std::int64_t)>& kept) {
            std::int64_t position = 0;
            return [&, position, kept](const float* frames, std::size_t frameCount) mutable {
                const std::int64_t blockEnd = position + static_cast<std::int64_t>(frameCount);
                for (std::size_t index = 0; index < spans.size(); ++index) {
                    const std::int64_t from = std::max(spans[index].begin, position);
                    const std::int64_t to = std::min(spans[index].end, blockEnd);
                    if (from < to) {
                        kept(index,
                             frames + static_cast<std::size_t>(from - position) * outChannels,
                             static_cast<std::size_t>(to - from), from);
                    }
                }
                position = blockEnd;
                return position < lastEnd;
            };
        };
    const auto passEnded = [&](PassEnd end, bool stoppedAtLastSpan) {
        return end == PassEnd::Cancelled && stoppedAtLastSpan ? PassEnd::Done : end;
    };

    CConversionPass pass(source, info, mixer);
    float gain = 1.0f;
    std::int64_t passesDone = earlierPasses;
    if (options.normalizePeakDb) {
        float peak = 0.0f;
        auto sink =
            overSpans([&](std::size_t, const float* frames, std::size_t count, std::int64_t) {
                for (std::size_t i = 0; i < count * outChannels; ++i) {
                    peak = std::max(peak, std::fabs(frames[i]));
                }
            });
        bool stopped = false;
        const PassEnd ran = pass.run(
            [&](const float* frames, std::size_t count) {
                stopped = !sink(frames, count);
                return !stopped;
            },
            advanced);
        const PassEnd measured = passEnded(ran, stopped);
        if (measured != PassEnd::Done) {
            result.status = StatusOf(measured);
            return result;
        }
        if (peak > 0.0f && std::isfinite(peak)) {
            gain = static_cast<float>(std::pow(10.0, *options.normalizePeakDb / 20.0) / peak);
        }
        passesDone += info.frames;
    }
    earlierPasses = passesDone;

    CTpdfQuantizer quantizer(true);
    std::vector<float> scaled;
    std::vector<short> samples;
    bool written = true;
    std::vector<std::int64_t> framesOut(spans.size(), 0);
    auto sink = overSpans(
        [&](std::size_t index, const float* frames, std::size_t count, std::int64_t first) {
            if (!written) {
                return;
            }
            scaled.resize(count * outChannels);
            for (std::size_t i = 0; i < count; ++i) {
                const float frameGain =
                    gain * SpanGain(spans[index], first + static_cast<std::int64_t>(i));
                for (std::size_t c = 0; c < outChannels; ++c) {
                    const std::size_t at = i * outChannels + c;
                    scaled[at] = frameGain == 1.0f ? frames[at] : frames[at] * frameGain;
                }
            }
            samples.resize(scaled.size());
            quantizer.quantize(scaled.data(), scaled.size(), samples.data());
            const auto frameTotal = static_cast<sf_count_t>(count);
            if (sf_writef_short(files[index], samples.data(), frameTotal) != frameTotal) {
                result.writeError = errno;
                written = false;
            }
            framesOut[index] += frameTotal;
        });
    bool stopped = false;
    const PassEnd ran = pass.run(
        [&](const float* frames, std::size_t count) {
            stopped = written && !sink(frames, count);
            return written && !stopped;
        },
        advanced);
    const PassEnd converted = passEnded(ran, stopped);
    result.clippedSamples = quantizer.clippedSamples();
    if (!written) {
        result.status = CConversionResult::Status::CannotWrite;
        return result;
    }
    if (converted != PassEnd::Done) {
        result.status = StatusOf(converted);
        return result;
    }
    // Silence after each span that is to be padded.
    for (std::size_t index = 0; index < spans.size(); ++index) {
        const std::vector<short> silence(
            static_cast<std::size_t>(spans[index].paddingFrames) * outChannels, 0);
        const auto padding = static_cast<sf_count_t>(spans[index].paddingFrames);
        if (padding > 0 && sf_writef_short(files[index], silence.data(), padding) != padding) {
            result.writeError = errno;
            result.status = CConversionResult::Status::CannotWrite;
            return result;
        }
        framesOut[index] += padding;
        result.framesWritten += framesOut[index];
    }
    files.keep();
    result.status = CConversionResult::Status::Done;
    return result;
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
    if (options.processing.any()) {
        CKeptSpan span;
        const PassEnd found = FindKeptSpan(
            source.get(), inInfo, mixer, options.processing,
            [&](std::int64_t read) {
                return !progress ||
                       progress(read, (options.normalizePeakDb ? 3 : 2) * inInfo.frames);
            },
            span);
        if (found != PassEnd::Done) {
            result.status = StatusOf(found);
            return result;
        }
        const bool scanned = options.processing.trimThresholdDb.has_value();
        return WriteSpans(source.get(), inInfo, mixer, {output}, {span}, container, options,
                          scanned ? inInfo.frames : 0, progress);
    }
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

namespace {

// Moves each cut to the nearest zero crossing of the mixed-down source within reach, reading a
// little of the source around each one; onsets move only backwards, so that no hit loses its
// start.
bool SnapToZeroCrossings(SNDFILE* file, const SF_INFO& info, const CChannelMixer& mixer,
                         std::vector<std::int64_t>& cuts, bool forwardToo) {
    const auto reach = std::max<std::int64_t>(
        1, std::llround(CSliceRequest::kZeroCrossingSeconds * info.samplerate));
    const auto channels = static_cast<std::size_t>(mixer.outputChannels());
    const auto windowFrames = static_cast<std::size_t>(2 * reach + 1);
    std::vector<float> input(windowFrames * static_cast<std::size_t>(info.channels));
    std::vector<float> mixed(windowFrames * channels);
    std::vector<float> summed;
    for (std::int64_t& cut : cuts) {
        const std::int64_t first = std::max<std::int64_t>(0, cut - reach);
        if (sf_seek(file, first, SEEK_SET) < 0) {
            return false;
        }
        const sf_count_t read =
            sf_readf_float(file, input.data(), static_cast<sf_count_t>(windowFrames));
        if (read < 0) {
            return false;
        }
        mixer.mix(input.data(), static_cast<std::size_t>(read), mixed.data());
        summed.assign(static_cast<std::size_t>(read), 0.0f);
        for (std::size_t i = 0; i < summed.size(); ++i) {
            for (std::size_t c = 0; c < channels; ++c) {
                summed[i] += mixed[i * channels + c];
            }
        }
        if (const auto crossing = NearestZeroCrossing(summed, first, cut, reach, forwardToo)) {
            cut = *crossing;
        }
    }
    return true;
}

} // namespace

CSlicePlan CSoundFileConverter::PlanSlices(const std::string& input, const CSliceRequest& request,
                                           const Progress& progress) {
    CSlicePlan plan;
    SF_INFO info;
    const SndfileHandle source = OpenForReading(input, info, plan.status);
    if (!source) {
        return plan;
    }
    plan.bounds = BoundsOf(info);
    if (!plan.bounds.withinBounds()) {
        plan.status = CConversionResult::Status::OutOfBounds;
        return plan;
    }
    // Onsets and crossings are looked for in the sum of the sides: a hit on either counts.
    const CChannelMixer mixer(info.channels, false);
    const RateMapping mapping = MappingOf(info);
    plan.streamFrames = mapping.toCard(info.frames);
    std::vector<std::int64_t> cuts;
    const int count = std::max(1, request.count);
    if (request.mode == CSliceRequest::Mode::Equal) {
        for (int i = 1; i < count; ++i) {
            cuts.push_back(info.frames * i / count);
        }
    } else {
        const double rise =
            CSliceRequest::kLeastRiseDb + (100.0 - std::clamp(request.sensitivity, 0.0, 100.0)) /
                                              100.0 * CSliceRequest::kRiseRangeDb;
        COnsetDetector detector(info.samplerate, rise);
        const auto channels = static_cast<std::size_t>(mixer.outputChannels());
        std::vector<float> summed;
        const PassEnd scanned = ScanSource(
            source.get(), info, mixer,
            [&](const float* frames, std::size_t frameCount, std::int64_t) {
                summed.assign(frameCount, 0.0f);
                for (std::size_t i = 0; i < frameCount; ++i) {
                    for (std::size_t c = 0; c < channels; ++c) {
                        summed[i] += frames[i * channels + c];
                    }
                }
                detector.feed(summed.data(), frameCount);
            },
            [&](std::int64_t read) { return !progress || progress(read, info.frames); });
        if (scanned != PassEnd::Done) {
            plan.status = StatusOf(scanned);
            return plan;
        }
        std::vector<COnsetDetector::Onset> onsets = detector.onsets();
        if (onsets.size() > static_cast<std::size_t>(count)) {
            std::stable_sort(onsets.begin(), onsets.end(),
                             [](const auto& a, const auto& b) { return a.riseDb > b.riseDb; });
            onsets.resize(static_cast<std::size_t>(count));
            std::sort(onsets.begin(), onsets.end(),
                      [](const auto& a, const auto& b) { return a.frame < b.frame; });
        }
        for (const COnsetDetector::Onset& onset : onsets) {
            cuts.push_back(onset.frame);
        }
    }
    if (!SnapToZeroCrossings(source.get(), info, mixer, cuts,
                             request.mode == CSliceRequest::Mode::Equal)) {
        plan.status = CConversionResult::Status::Damaged;
        return plan;
    }
    // Equal parts run from the sound's start; onsets each start a slice, and what comes before
    // the first one is left out.
    std::vector<std::int64_t> starts;
    if (request.mode == CSliceRequest::Mode::Equal) {
        starts.push_back(0);
    }
    for (const std::int64_t cut : cuts) {
        starts.push_back(mapping.toCard(cut));
    }
    const std::int64_t fade = CardFrames(CSliceRequest::kFadeSeconds);
    for (std::size_t i = 0; i < starts.size(); ++i) {
        CKeptSpan slice;
        slice.begin = starts[i];
        slice.end = i + 1 < starts.size() ? starts[i + 1] : plan.streamFrames;
        if (slice.end <= slice.begin) {
            continue;
        }
        slice.fadeInFrames = std::min(fade, slice.keptFrames());
        slice.fadeOutFrames = std::min(fade, slice.keptFrames());
        plan.slices.push_back(slice);
    }
    plan.status = CConversionResult::Status::Done;
    return plan;
}

CSlicePlan CSoundFileConverter::PlanKeptSpan(const std::string& input,
                                             const CSoundProcessing& processing,
                                             const Progress& progress) {
    CSlicePlan plan;
    SF_INFO info;
    const SndfileHandle source = OpenForReading(input, info, plan.status);
    if (!source) {
        return plan;
    }
    plan.bounds = BoundsOf(info);
    if (!plan.bounds.withinBounds()) {
        plan.status = CConversionResult::Status::OutOfBounds;
        return plan;
    }
    const CChannelMixer mixer(info.channels, false);
    plan.streamFrames = MappingOf(info).toCard(info.frames);
    CKeptSpan span;
    const PassEnd found = FindKeptSpan(
        source.get(), info, mixer, processing,
        [&](std::int64_t read) { return !progress || progress(read, info.frames); }, span);
    if (found != PassEnd::Done) {
        plan.status = StatusOf(found);
        return plan;
    }
    if (span.keptFrames() > 0) {
        plan.slices.push_back(span);
    }
    plan.status = CConversionResult::Status::Done;
    return plan;
}

CConversionResult
CSoundFileConverter::ConvertSpans(const std::string& input, const std::vector<std::string>& outputs,
                                  const std::vector<CKeptSpan>& spans, Container container,
                                  const CConversionOptions& options, const Progress& progress) {
    CConversionResult result;
    SF_INFO info;
    const SndfileHandle source = OpenForReading(input, info, result.status);
    if (!source) {
        return result;
    }
    result.bounds = BoundsOf(info);
    if (!result.bounds.withinBounds()) {
        result.status = CConversionResult::Status::OutOfBounds;
        return result;
    }
    if (outputs.size() != spans.size()) {
        result.status = CConversionResult::Status::CannotWrite;
        return result;
    }
    const CChannelMixer mixer(info.channels, options.mono);
    return WriteSpans(source.get(), info, mixer, outputs, spans, container, options, 0, progress);
}

} // namespace SL
