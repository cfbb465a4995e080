#include "card/tempo.h"

namespace ZQ3 {
namespace {

constexpr std::uint32_t TargetTempo = 1200;
constexpr std::uint32_t HighestPlausibleTempo = 2000;
constexpr std::uint32_t LongestSpanTicks = 9881600;
// The largest tick count whose product with TicksToTenthsBpm still fits in 32 bits.
constexpr std::uint32_t LargestDirectTicks = 5194;
// 44100 frames/s × 60 s × 10 tenths / 64 ticks per beat = 826875 / 2.
constexpr std::uint32_t TicksToTenthsBpmTwice = 826875;

// Tempo of frameCount frames spanning ticks ticks at 64 ticks per beat, in 32-bit arithmetic.
std::uint32_t TempoOfSpan(std::uint32_t ticks, std::uint32_t frameCount) {
    if (frameCount == 0 || ticks == 0) {
        return 1020;
    }
    if (ticks <= LargestDirectTicks) {
        return ((ticks * TicksToTenthsBpmTwice) / 2) / frameCount;
    }
    // Halving ticks and frames together keeps the ratio while the product stays in range.
    std::uint32_t halfTicks = ticks / 2;
    while (halfTicks > LargestDirectTicks) {
        halfTicks /= 2;
        frameCount /= 2;
    }
    if (frameCount == 0) {
        return 1020;
    }
    return (halfTicks * TicksToTenthsBpmTwice) / frameCount;
}

std::uint32_t DistanceToTarget(std::uint32_t tempo) {
    return tempo > TargetTempo ? tempo - TargetTempo : TargetTempo - tempo;
}

// The closer of the last two candidates; a tie keeps the earlier one.
std::uint32_t Closer(std::uint32_t last, std::uint32_t previous) {
    return DistanceToTarget(last) < DistanceToTarget(previous) ? last : previous;
}

} // namespace

std::uint32_t TempoForFrameCount(std::uint32_t frameCount) {
    std::uint32_t ticks = 256;
    std::uint32_t tempo = TempoOfSpan(ticks, frameCount);
    if (tempo == TargetTempo) {
        return tempo;
    }
    std::uint32_t previous = tempo;
    if (tempo < TargetTempo) {
        // Shorter than a bar at 120 BPM: try spans of more bars.
        do {
            previous = tempo;
            ticks = ticks == 256 ? 512 : ticks + 512;
            tempo = TempoOfSpan(ticks, frameCount);
        } while (tempo < TargetTempo && ticks <= LongestSpanTicks);
        return Closer(tempo, previous);
    }
    // Longer than a bar: start from the shortest span and grow it.
    ticks = 2;
    tempo = TempoOfSpan(ticks, frameCount);
    previous = tempo;
    while (tempo < TargetTempo && ticks <= LongestSpanTicks) {
        previous = tempo;
        ticks = ticks < 256 ? ticks * 2 : ticks + 256;
        tempo = TempoOfSpan(ticks, frameCount);
    }
    if (tempo > HighestPlausibleTempo) {
        return previous;
    }
    return Closer(tempo, previous);
}

} // namespace ZQ3
