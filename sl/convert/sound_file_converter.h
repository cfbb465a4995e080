#pragma once

#include "sl/convert/sound_processing.h"
#include "sl/model/sound_bounds.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace SL {

// What the converter makes of a file and how.
struct CConversionOptions {
    // Mix to one channel (the mean of the stereo sides).
    bool mono = false;
    // Scale the converted sound so that its highest peak, before dither, lies at this level in
    // dBFS; nothing leaves the level as it is. A silent file stays silent.
    std::optional<double> normalizePeakDb;
    // Region, trim, fades and padding, applied after resampling and before the gain.
    CSoundProcessing processing;

    static constexpr double kDefaultPeakDb = -0.3;
};

// A sound file as libsndfile reads it.
struct CSoundFileShape {
    int channelCount = 0;
    int sampleRate = 0;
    std::int64_t frameCount = 0;
    // Whether its samples are 16-bit integers, which the card takes as they are.
    bool sixteenBitInteger = false;
    // Bits of each stored sample, integer or floating point; 0 for a compressed encoding
    // (Vorbis, Opus, MP3...) that has no such width.
    int bitsPerSample = 0;
    // libsndfile's name of the file's format, such as "FLAC (Free Lossless Audio Codec)".
    std::string formatName;
};

struct CConversionResult {
    enum class Status {
        Done,
        // The input is missing, unreadable, or not a regular file (a FIFO, a device...).
        CannotOpen,
        // libsndfile does not read the file as sound.
        CannotRead,
        // Its header claims a rate, channel count or length outside CSoundBounds; see bounds.
        OutOfBounds,
        // The file ends before the sound its header announces, or its data is damaged.
        Damaged,
        // The output file could not be created or written; it already exists, for instance.
        CannotWrite,
        Cancelled,
    };
    Status status = Status::CannotRead;
    std::int64_t framesWritten = 0;
    // Samples beyond the 16-bit range, held at its ends.
    std::int64_t clippedSamples = 0;
    // Whether the samples were copied as they are (a container change), without dither.
    bool copiedUnchanged = false;
    // The source's shape held to the bounds; its bound is the reason for OutOfBounds.
    CSoundBoundsCheck bounds;
    // The system's error behind CannotWrite (ENOSPC for a full disk), 0 when none was given.
    int writeError = 0;

    bool done() const { return status == Status::Done; }
};

// How a sound is cut into slices for consecutive pads.
struct CSliceRequest {
    enum class Mode {
        // count parts of equal length.
        Equal,
        // A slice starts at each detected onset: a sudden rise of level, the start of a hit.
        Onsets,
    };
    Mode mode = Mode::Equal;
    // The number of equal parts, or the most onsets kept (the strongest ones).
    int count = 8;
    // 0 to 100: how small a rise of level counts as an onset. At 0 a rise must reach
    // kLeastRiseDb + kRiseRangeDb over the level of the moment before, at 100 only kLeastRiseDb.
    double sensitivity = 50.0;

    static constexpr double kLeastRiseDb = 3.0;
    static constexpr double kRiseRangeDb = 15.0;
    // Each slice boundary moves to the nearest zero crossing within this distance, and each
    // slice fades in and out over kFadeSeconds so that its ends do not click.
    static constexpr double kZeroCrossingSeconds = 0.002;
    static constexpr double kFadeSeconds = 0.002;
};

// Where the slices of a sound lie, in frames at the card's rate from the converted sound's start.
struct CSlicePlan {
    CConversionResult::Status status = CConversionResult::Status::CannotRead;
    CSoundBoundsCheck bounds;
    std::int64_t streamFrames = 0;
    std::vector<CKeptSpan> slices;

    bool done() const { return status == CConversionResult::Status::Done; }
};

// Converts any file libsndfile reads (WAV and AIFF of every sample type, FLAC, Ogg Vorbis, Opus,
// MP3...) to a 16-bit, 44100 Hz WAV or AIFF file of one or two channels, streaming in blocks:
// its memory stays the same whatever the file's length. The path is the source file, then
// channel mixing, resampling with libsoxr at its very-high quality in floating point, the gain
// of normalisation, TPDF dither and rounding to 16 bits. Normalising measures the converted
// peak in a first pass over the source and converts in a second, rather than keeping the
// converted sound, so its memory is bounded too; it reads the file twice. A source that is
// already 16-bit at 44100 Hz and is asked for no change has its samples copied exactly. Only a
// regular file is read, opened without waiting (a FIFO never blocks it), and a source whose
// header lies outside CSoundBounds is refused before any buffer is sized from it.
class CSoundFileConverter {
public:
    enum class Container { Wave, Aiff };
    // Called with the frames of the source read so far and the frames the whole conversion
    // reads; false cancels it.
    using Progress = std::function<bool(std::int64_t done, std::int64_t total)>;

    // The shape of the file at path, or nothing when libsndfile does not read it as sound.
    // A shape outside CSoundBounds is given as it is: no conversion of it starts.
    static std::optional<CSoundFileShape> Probe(const std::string& path);

    // Writes the conversion of input as a new file at output (never over an existing file or
    // through a symbolic link); an output that did not come out whole is removed again.
    static CConversionResult Convert(const std::string& input, const std::string& output,
                                     Container container, const CConversionOptions& options,
                                     const Progress& progress = {});

    // Finds the slices of the file's sound as request asks, reading the file once.
    // The one span processing keeps of the file at path, found as Convert finds it (a first
    // pass over the file when trimming), as a plan of one slice; none when nothing is kept.
    static CSlicePlan PlanKeptSpan(const std::string& input, const CSoundProcessing& processing,
                                   const Progress& progress = {});
    static CSlicePlan PlanSlices(const std::string& input, const CSliceRequest& request,
                                 const Progress& progress = {});

    // Writes each span of the file's converted sound as a new file, outputs[i] holding spans[i],
    // in one pass over the file; the spans lie in order and do not overlap. options' processing
    // is not applied again. On any failure no output is left.
    static CConversionResult ConvertSpans(const std::string& input,
                                          const std::vector<std::string>& outputs,
                                          const std::vector<CKeptSpan>& spans, Container container,
                                          const CConversionOptions& options,
                                          const Progress& progress = {});
};

} // namespace SL
