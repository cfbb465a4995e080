#include "sl/convert/sound_processing.h"

#include "sl/codec/card_sound_format.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace SL {

std::int64_t CardFrames(double seconds) {
    return std::llround(seconds * CCardSoundFormat::kSampleRate);
}

std::int64_t ShortestCardFrames() {
    // The same test as the import's: the frames at the card's rate make at least the seconds.
    auto frames = static_cast<std::int64_t>(
        std::floor(CCardSoundFormat::kShortestSeconds * CCardSoundFormat::kSampleRate));
    while (static_cast<double>(frames) / CCardSoundFormat::kSampleRate <
           CCardSoundFormat::kShortestSeconds) {
        ++frames;
    }
    return frames;
}

float SpanGain(const CKeptSpan& span, std::int64_t frame) {
    double gain = 1.0;
    // Each fade reaches silence on its outer frame: the first of a fade-in, the last of a
    // fade-out.
    const std::int64_t fromStart = frame - span.begin;
    if (fromStart < span.fadeInFrames) {
        gain =
            std::min(gain, static_cast<double>(fromStart) / static_cast<double>(span.fadeInFrames));
    }
    const std::int64_t toEnd = span.end - 1 - frame;
    if (toEnd < span.fadeOutFrames) {
        gain = std::min(gain, static_cast<double>(toEnd) / static_cast<double>(span.fadeOutFrames));
    }
    gain = std::clamp(gain, 0.0, 1.0);
    if (span.fadeShape == FadeShape::EqualPower && gain < 1.0) {
        gain = std::sin(gain * M_PI / 2.0);
    }
    return static_cast<float>(gain);
}

CKeptSpan PlanKeptSpan(const CSoundProcessing& processing, std::int64_t streamFrames,
                       std::optional<std::int64_t> loudBegin, std::int64_t loudEnd) {
    CKeptSpan span;
    span.begin = processing.startSeconds ? CardFrames(*processing.startSeconds) : 0;
    span.end = processing.endSeconds ? CardFrames(*processing.endSeconds) : streamFrames;
    span.begin = std::clamp<std::int64_t>(span.begin, 0, streamFrames);
    span.end = std::clamp<std::int64_t>(span.end, span.begin, streamFrames);
    if (processing.trimThresholdDb) {
        if (!loudBegin) {
            span.end = span.begin;
        } else {
            const std::int64_t lead = CardFrames(CSoundProcessing::kTrimLeadSeconds);
            span.begin = std::max(span.begin, *loudBegin - lead);
            span.end = std::max(span.begin, std::min(span.end, loudEnd));
        }
    }
    const std::int64_t kept = span.keptFrames();
    span.fadeInFrames = std::min(kept, CardFrames(processing.fadeInSeconds));
    span.fadeOutFrames = std::min(kept, CardFrames(processing.fadeOutSeconds));
    span.fadeShape = processing.fadeShape;
    if (processing.padToMinimum) {
        span.paddingFrames = std::max<std::int64_t>(0, ShortestCardFrames() - kept);
    }
    return span;
}

} // namespace SL

namespace SL {

COnsetDetector::COnsetDetector(int sampleRate, double riseDb)
    : windowFrames_(static_cast<std::size_t>(std::max(16, sampleRate / 172))), riseDb_(riseDb),
      shortestGap_(std::llround(kShortestGapSeconds * sampleRate)) {
    current_.reserve(windowFrames_);
}

void COnsetDetector::feed(const float* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        current_.push_back(samples[i]);
        if (current_.size() == windowFrames_) {
            closeWindow();
        }
    }
}

void COnsetDetector::closeWindow() {
    double sum = 0.0;
    float peak = 0.0f;
    for (const float sample : current_) {
        sum += static_cast<double>(sample) * sample;
        peak = std::max(peak, std::fabs(sample));
    }
    const double meanSquare = sum / static_cast<double>(current_.size());
    constexpr std::size_t kHistory = 4;
    if (history_.size() == kHistory) {
        double before = 0.0;
        for (const double value : history_) {
            before += value;
        }
        before /= static_cast<double>(kHistory);
        const double levelDb = 10.0 * std::log10(meanSquare + 1e-20);
        const double riseDb = levelDb - 10.0 * std::log10(before + 1e-20);
        const bool farEnough =
            onsets_.empty() || currentStart_ - onsets_.back().frame >= shortestGap_;
        if (levelDb >= kFloorDb && riseDb >= riseDb_ && farEnough) {
            // The hit starts where the signal first reaches a quarter of this window's peak,
            // which may lie in the window before.
            const float reach = peak / 4.0f;
            std::int64_t frame = currentStart_;
            bool found = false;
            for (std::size_t i = 0; i < previous_.size() && !found; ++i) {
                if (std::fabs(previous_[i]) >= reach) {
                    frame = currentStart_ - static_cast<std::int64_t>(previous_.size() - i);
                    found = true;
                }
            }
            for (std::size_t i = 0; i < current_.size() && !found; ++i) {
                if (std::fabs(current_[i]) >= reach) {
                    frame = currentStart_ + static_cast<std::int64_t>(i);
                    found = true;
                }
            }
            onsets_.push_back({frame, riseDb});
        }
        history_.erase(history_.begin());
    }
    history_.push_back(meanSquare);
    currentStart_ += static_cast<std::int64_t>(current_.size());
    previous_.swap(current_);
    current_.clear();
}

std::optional<std::int64_t> NearestZeroCrossing(const std::vector<float>& samples,
                                                std::int64_t first, std::int64_t target,
                                                std::int64_t reach, bool forwardToo) {
    std::optional<std::int64_t> best;
    std::int64_t bestDistance = reach + 1;
    const auto count = static_cast<std::int64_t>(samples.size());
    for (std::int64_t i = 1; i < count; ++i) {
        const float before = samples[static_cast<std::size_t>(i - 1)];
        const float after = samples[static_cast<std::size_t>(i)];
        // A rise out of silence counts too: its last zero is the quietest place to cut.
        const bool crosses = (before <= 0.0f && after > 0.0f) || (before >= 0.0f && after < 0.0f);
        if (!crosses) {
            continue;
        }
        const std::int64_t frame = first + (std::fabs(before) < std::fabs(after) ? i - 1 : i);
        const std::int64_t distance = frame > target ? frame - target : target - frame;
        if ((frame <= target || forwardToo) && distance < bestDistance) {
            best = frame;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace SL

namespace SL {
namespace {

// A plain decimal number, digits with at most one point; nothing else.
std::optional<double> PlainNumber(const std::string& text) {
    if (text.empty() || text == ".") {
        return std::nullopt;
    }
    bool point = false;
    for (const char c : text) {
        if (c == '.' && !point) {
            point = true;
        } else if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    return std::strtod(text.c_str(), nullptr);
}

} // namespace

std::optional<double> ParseTimeSeconds(const std::string& text) {
    const auto endsWith = [&text](const std::string& end) {
        return text.size() > end.size() &&
               text.compare(text.size() - end.size(), end.size(), end) == 0;
    };
    std::optional<double> seconds;
    if (endsWith("ms")) {
        if (const auto milliseconds = PlainNumber(text.substr(0, text.size() - 2))) {
            seconds = *milliseconds / 1000.0;
        }
    } else if (endsWith("s")) {
        seconds = PlainNumber(text.substr(0, text.size() - 1));
    } else if (const std::size_t colon = text.find(':'); colon != std::string::npos) {
        const std::string minutesText = text.substr(0, colon);
        const auto minutes = PlainNumber(minutesText);
        const auto rest = PlainNumber(text.substr(colon + 1));
        if (minutes && rest && minutesText.find('.') == std::string::npos && *rest < 60.0) {
            seconds = *minutes * 60.0 + *rest;
        }
    } else {
        seconds = PlainNumber(text);
    }
    constexpr double kSixHours = 6 * 3600.0;
    if (!seconds || !(*seconds <= kSixHours)) {
        return std::nullopt;
    }
    return seconds;
}

} // namespace SL
