#pragma once

#include "sl/samples/sample_iterator.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace SL {

// The outline of a sound as a display draws it: for every channel and every pixel column, the
// lowest and the highest sample value among the frames the column covers, scaled to -1..1.
// Frame f of F frames falls into column f × C / F of C columns (rounded down), so every frame
// is in exactly one column and the columns split the sound evenly.
class CWaveform {
public:
    struct Column {
        float min = 0.0f;
        float max = 0.0f;
        friend bool operator==(const Column&, const Column&) = default;
    };

    CWaveform() = default;
    // channelCount channels of columnCount silent columns for a sound of frameCount frames.
    CWaveform(int channelCount, int columnCount, std::int64_t frameCount);

    int channelCount() const { return channelCount_; }
    int columnCount() const { return columnCount_; }
    // The frames per channel the outline was made from.
    std::int64_t frameCount() const { return frameCount_; }
    // Frames per second of the sound; 0 when the source did not say.
    double sampleRate() const { return sampleRate_; }
    void setSampleRate(double rate) { sampleRate_ = rate; }
    // No channel at all: nothing to draw.
    bool empty() const { return channelCount_ == 0 || columnCount_ == 0; }

    const Column& column(int channel, int index) const {
        return columns_[static_cast<std::size_t>(channel * columnCount_ + index)];
    }
    Column& column(int channel, int index) {
        return columns_[static_cast<std::size_t>(channel * columnCount_ + index)];
    }

private:
    int channelCount_ = 0;
    int columnCount_ = 0;
    std::int64_t frameCount_ = 0;
    double sampleRate_ = 0.0;
    // Channel after channel, each columnCount_ long.
    std::vector<Column> columns_;
};

// Makes a waveform from interleaved samples as they arrive, so that no sound is ever held whole:
// memory is one column per channel and pixel whatever the length.
class CWaveformBuilder {
public:
    // frameCount is the length announced by the source; columnCount is at least 1.
    CWaveformBuilder(int channelCount, int columnCount, std::int64_t frameCount);

    // Adds the next sample of the interleaved stream, scaled to -1..1.
    void Add(float value) {
        if (frame_ >= frameCount_) {
            return;
        }
        CWaveform::Column& column = waveform_.column(channel_, column_);
        column.min = value < column.min ? value : column.min;
        column.max = value > column.max ? value : column.max;
        if (++channel_ == channelCount_) {
            channel_ = 0;
            if (++frame_ == nextColumnStart_) {
                StartNextColumn();
            }
        }
    }

    // The whole frames added so far.
    std::int64_t framesAdded() const { return frame_; }

    // The outline. Columns no frame reached (a sound shorter than the column count leaves some
    // between its frames) repeat the column before them; columns past a source that ended early
    // are silent.
    CWaveform Finish();

private:
    void StartNextColumn();
    // The first frame of column index.
    std::int64_t ColumnStart(std::int64_t index) const;

    CWaveform waveform_;
    int channelCount_;
    int columnCount_;
    std::int64_t frameCount_;
    int channel_ = 0;
    int column_ = 0;
    std::int64_t frame_ = 0;
    std::int64_t nextColumnStart_ = 0;
};

// Reads a stream of any integer or floating-point sample type to its end and returns its outline
// in columnCount columns. Empty when the stream fails before its announced length (an I/O error,
// a damaged file), when its sample type has no outline, or when cancelled turns true; the flag is
// looked at every few thousand samples.
std::optional<CWaveform> ReadWaveform(IInputSampleIterator& source, int columnCount,
                                      const std::atomic<bool>& cancelled);

} // namespace SL
