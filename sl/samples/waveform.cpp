#include "sl/samples/waveform.h"

#include <limits>

namespace SL {

namespace {

// Samples between two looks at the cancel flag: small enough that a cancel is felt at once,
// large enough that the look costs nothing.
constexpr int CancelCheckInterval = 8192;

// What a column holds before any frame reaches it; Finish tells such columns by min > max.
constexpr CWaveform::Column Untouched{std::numeric_limits<float>::infinity(),
                                      -std::numeric_limits<float>::infinity()};

// One sample value scaled to -1..1 (floating-point samples are taken as they are).
template <int Tag>
float Scaled(SampleValue<Tag> value) {
    if constexpr (Tag == CSampleTag::Integer8) {
        // Offset binary: 128 is silence.
        return static_cast<float>(static_cast<int>(value) - 128) / 128.0f;
    } else if constexpr (Tag == CSampleTag::Integer16) {
        return static_cast<float>(value) / 32768.0f;
    } else if constexpr (Tag == CSampleTag::Integer24) {
        return static_cast<float>(value) / 8388608.0f;
    } else if constexpr (Tag == CSampleTag::Integer32) {
        return static_cast<float>(static_cast<double>(value) / 2147483648.0);
    } else {
        return static_cast<float>(value);
    }
}

template <int Tag>
std::optional<CWaveform> ReadTyped(ITypedInputSampleIterator<Tag>& source, int columnCount,
                                   const std::atomic<bool>& cancelled) {
    const CSampleAttribute& attribute = source.GetAttribute();
    const int channels = attribute.GetChannelCount();
    const std::int64_t frames = attribute.GetLength();
    if (channels <= 0 || frames < 0) {
        return std::nullopt;
    }
    CWaveformBuilder builder(channels, columnCount, frames);
    const std::int64_t samples = frames * channels;
    for (std::int64_t read = 0; read < samples; ++read) {
        if (read % CancelCheckInterval == 0 && cancelled.load(std::memory_order_relaxed)) {
            return std::nullopt;
        }
        if (!source.IsValid()) {
            return std::nullopt;
        }
        builder.Add(Scaled<Tag>(source.GetValue()));
        source.Advance();
    }
    if (!source.IsGood() || cancelled.load(std::memory_order_relaxed)) {
        return std::nullopt;
    }
    CWaveform waveform = builder.Finish();
    waveform.setSampleRate(attribute.GetSampleRate());
    return waveform;
}

template <int Tag>
bool TryRead(IInputSampleIterator& source, int columnCount, const std::atomic<bool>& cancelled,
             std::optional<CWaveform>& result) {
    auto* typed = dynamic_cast<ITypedInputSampleIterator<Tag>*>(&source);
    if (typed == nullptr) {
        return false;
    }
    result = ReadTyped(*typed, columnCount, cancelled);
    return true;
}

} // namespace

CWaveform::CWaveform(int channelCount, int columnCount, std::int64_t frameCount)
    : channelCount_(channelCount), columnCount_(columnCount), frameCount_(frameCount),
      columns_(static_cast<std::size_t>(channelCount) * static_cast<std::size_t>(columnCount)) {}

CWaveformBuilder::CWaveformBuilder(int channelCount, int columnCount, std::int64_t frameCount)
    : waveform_(channelCount, columnCount, frameCount), channelCount_(channelCount),
      columnCount_(columnCount), frameCount_(frameCount) {
    for (int channel = 0; channel < channelCount_; ++channel) {
        for (int index = 0; index < columnCount_; ++index) {
            waveform_.column(channel, index) = Untouched;
        }
    }
    nextColumnStart_ = ColumnStart(1);
    // A sound shorter than the columns puts its first frame past some empty ones.
    if (nextColumnStart_ == 0) {
        StartNextColumn();
    }
}

std::int64_t CWaveformBuilder::ColumnStart(std::int64_t index) const {
    // The smallest frame f with f × columns / frames >= index.
    return (index * frameCount_ + columnCount_ - 1) / columnCount_;
}

void CWaveformBuilder::StartNextColumn() {
    // Skips the columns no frame falls into; the last column takes every frame left.
    while (column_ + 1 < columnCount_ && nextColumnStart_ <= frame_) {
        ++column_;
        nextColumnStart_ = ColumnStart(column_ + 1);
    }
}

CWaveform CWaveformBuilder::Finish() {
    for (int channel = 0; channel < channelCount_; ++channel) {
        for (int index = 0; index < columnCount_; ++index) {
            CWaveform::Column& column = waveform_.column(channel, index);
            if (column.min <= column.max) {
                continue;
            }
            // A column inside what was read lies between frames; one past an early end is silent.
            const bool reached =
                ColumnStart(index) < frame_ || (frame_ == frameCount_ && frame_ > 0);
            column =
                reached && index > 0 ? waveform_.column(channel, index - 1) : CWaveform::Column{};
        }
    }
    return waveform_;
}

std::optional<CWaveform> ReadWaveform(IInputSampleIterator& source, int columnCount,
                                      const std::atomic<bool>& cancelled) {
    if (columnCount <= 0) {
        return std::nullopt;
    }
    std::optional<CWaveform> result;
    if (TryRead<CSampleTag::Integer16>(source, columnCount, cancelled, result) ||
        TryRead<CSampleTag::Integer24>(source, columnCount, cancelled, result) ||
        TryRead<CSampleTag::Integer32>(source, columnCount, cancelled, result) ||
        TryRead<CSampleTag::Integer8>(source, columnCount, cancelled, result) ||
        TryRead<CSampleTag::Float32>(source, columnCount, cancelled, result) ||
        TryRead<CSampleTag::Float64>(source, columnCount, cancelled, result)) {
        return result;
    }
    return std::nullopt;
}

} // namespace SL
