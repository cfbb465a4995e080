#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace SL {

enum class FadeShape {
    // The gain rises (or falls) in a straight line.
    Linear,
    // The gain follows a quarter sine, so that a fade-out laid over a fade-in keeps the power.
    EqualPower,
};

// What is done to a sound between reading and encoding, each part only when asked for. Times are
// in seconds of the sound; a region and the trim are found in the sound as it is read, and the
// fades and the padding are applied to what they keep.
struct CSoundProcessing {
    // Cut leading and trailing frames whose every channel lies below this level (dBFS); the
    // kTrimLeadSeconds before the first loud frame are kept so that an attack's soft start
    // stays whole.
    std::optional<double> trimThresholdDb;
    double fadeInSeconds = 0.0;
    double fadeOutSeconds = 0.0;
    FadeShape fadeShape = FadeShape::Linear;
    // A sound shorter than the card's shortest is extended with silence up to it.
    bool padToMinimum = false;
    // The region taken, from start up to end; nothing is the sound's own start or end.
    std::optional<double> startSeconds;
    std::optional<double> endSeconds;

    static constexpr double kDefaultTrimDb = -60.0;
    static constexpr double kTrimLeadSeconds = 0.003;

    bool operator==(const CSoundProcessing&) const = default;

    bool any() const {
        return trimThresholdDb || fadeInSeconds > 0.0 || fadeOutSeconds > 0.0 || padToMinimum ||
               startSeconds || endSeconds;
    }
    // Whether a sound the card takes as it is would come out changed: padding alone changes
    // only a sound the card refuses as too short.
    bool changesTakenSound() const {
        return trimThresholdDb || fadeInSeconds > 0.0 || fadeOutSeconds > 0.0 || startSeconds ||
               endSeconds;
    }
};

// Frames at the card's rate from seconds, rounded to the nearest frame.
std::int64_t CardFrames(double seconds);
// The fewest frames at the card's rate that the card takes as long enough.
std::int64_t ShortestCardFrames();

// The part of a converted stream one output keeps, in frames at the card's rate counted from the
// stream's start: [begin, end), faded in and out over the given frames and followed by padding
// frames of silence.
struct CKeptSpan {
    std::int64_t begin = 0;
    std::int64_t end = 0;
    std::int64_t fadeInFrames = 0;
    std::int64_t fadeOutFrames = 0;
    FadeShape fadeShape = FadeShape::Linear;
    std::int64_t paddingFrames = 0;

    std::int64_t keptFrames() const { return end > begin ? end - begin : 0; }
    std::int64_t totalFrames() const { return keptFrames() + paddingFrames; }
};

// The gain of the fades of span at frame (counted from the stream's start, within the span).
float SpanGain(const CKeptSpan& span, std::int64_t frame);

// Builds the span that processing keeps of a stream of streamFrames frames whose loud part (at or
// above the trim threshold) runs over [loudBegin, loudEnd); without a loud part the trimmed span
// is empty.
CKeptSpan PlanKeptSpan(const CSoundProcessing& processing, std::int64_t streamFrames,
                       std::optional<std::int64_t> loudBegin, std::int64_t loudEnd);

} // namespace SL

namespace SL {

// Finds the onsets of a sound fed to it in order, one channel: the starts of hits, where the
// level of a short window (about 6 ms) rises by at least riseDb over the mean level of the four
// windows before it and lies above kFloorDb. Onsets closer than kShortestGapSeconds to the one
// before are taken as part of it. Each onset is placed on the first sample of its window, or of
// the window before, that reaches a quarter of the window's peak: the hit's own start.
class COnsetDetector {
public:
    struct Onset {
        std::int64_t frame = 0;
        // The rise of level that made it, in dB: the stronger onsets are kept first.
        double riseDb = 0.0;
    };

    COnsetDetector(int sampleRate, double riseDb);

    void feed(const float* samples, std::size_t count);
    const std::vector<Onset>& onsets() const { return onsets_; }

    static constexpr double kFloorDb = -50.0;
    static constexpr double kShortestGapSeconds = 0.05;

private:
    void closeWindow();

    std::size_t windowFrames_;
    double riseDb_;
    std::int64_t shortestGap_;
    std::vector<float> previous_;
    std::vector<float> current_;
    std::int64_t currentStart_ = 0;
    // The mean squares of the last windows, newest last.
    std::vector<double> history_;
    std::vector<Onset> onsets_;
};

// The frame nearest to target, within reach frames of it, where the sign of samples (frames from
// first) changes: the frame after the change, or the one before it when that is closer to zero.
// forwardToo false looks at target and before only. Nothing when no sign changes there.
std::optional<std::int64_t> NearestZeroCrossing(const std::vector<float>& samples,
                                                std::int64_t first, std::int64_t target,
                                                std::int64_t reach, bool forwardToo);

} // namespace SL

namespace SL {

// A time as a user types it: seconds ("1.5", "1.5s"), milliseconds ("250ms") or minutes and
// seconds ("1:02.5"); nothing for any other text, a negative time or one beyond six hours.
std::optional<double> ParseTimeSeconds(const std::string& text);

} // namespace SL
