// Throughput of the card's sample codec, in samples per second, for the two frame sizes the card
// uses (N = 8 for ordinary samples, N = 4 for lo-fi ones) on noise and on a music-like signal.

#include "sl/codec/vexa_coding.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr std::size_t kSamples = 1 << 16; // one second and a half of mono audio
constexpr std::size_t kFrame = 16;

enum ESignal { Noise = 0, Music = 1 };

std::vector<std::int16_t> MakeSignal(ESignal signal) {
    std::vector<std::int16_t> samples(kSamples);
    std::mt19937 rng(2024);
    if (signal == Noise) {
        std::uniform_int_distribution<int> full(-32768, 32767);
        for (auto& s : samples) {
            s = static_cast<std::int16_t>(full(rng));
        }
        return samples;
    }
    // Three partials under a slow swell and decay, with a little noise floor.
    std::normal_distribution<double> hiss(0, 60);
    for (std::size_t i = 0; i < kSamples; ++i) {
        const double t = static_cast<double>(i) / 44100.0;
        const double envelope = std::exp(-1.5 * std::fmod(t, 0.75)) * (0.6 + 0.4 * std::sin(t));
        const double v = 14000 * std::sin(2 * M_PI * 220 * t) +
                         7000 * std::sin(2 * M_PI * 660 * t + 0.3) +
                         3000 * std::sin(2 * M_PI * 3520 * t + 1.1);
        samples[i] = static_cast<std::int16_t>(std::lround(envelope * v + hiss(rng)));
    }
    return samples;
}

std::vector<std::uint8_t> EncodeAll(int n, const std::vector<std::int16_t>& samples) {
    auto coding = SL::CVexaCoding::Create(n);
    const std::size_t frameBytes = 2 * static_cast<std::size_t>(n);
    std::vector<std::uint8_t> bytes(samples.size() / kFrame * frameBytes);
    for (std::size_t f = 0; f < samples.size() / kFrame; ++f) {
        coding->Encode(std::span(samples).subspan(f * kFrame, kFrame), 1, 0,
                       std::span(bytes).subspan(f * frameBytes, frameBytes));
    }
    return bytes;
}

void BM_Encode(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto samples = MakeSignal(static_cast<ESignal>(state.range(1)));
    const std::size_t frameBytes = 2 * static_cast<std::size_t>(n);
    std::vector<std::uint8_t> bytes(samples.size() / kFrame * frameBytes);
    auto coding = SL::CVexaCoding::Create(n);
    for (auto _ : state) {
        for (std::size_t f = 0; f < samples.size() / kFrame; ++f) {
            coding->Encode(std::span(samples).subspan(f * kFrame, kFrame), 1, 0,
                           std::span(bytes).subspan(f * frameBytes, frameBytes));
        }
        benchmark::DoNotOptimize(bytes.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(samples.size()));
    state.SetLabel(state.range(1) == Noise ? "noise" : "music");
}

void BM_Decode(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto bytes = EncodeAll(n, MakeSignal(static_cast<ESignal>(state.range(1))));
    const std::size_t frameBytes = 2 * static_cast<std::size_t>(n);
    std::vector<std::int16_t> samples(bytes.size() / frameBytes * kFrame);
    auto coding = SL::CVexaCoding::Create(n);
    for (auto _ : state) {
        for (std::size_t f = 0; f < samples.size() / kFrame; ++f) {
            coding->Decode(std::span(bytes).subspan(f * frameBytes, frameBytes),
                           std::span(samples).subspan(f * kFrame, kFrame), 1, 0);
        }
        benchmark::DoNotOptimize(samples.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(samples.size()));
    state.SetLabel(state.range(1) == Noise ? "noise" : "music");
}

// Stereo through one coding, one channel of the interleaved buffer at a time, as the card
// streams drive it.
void BM_EncodeStereoInterleaved(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const auto left = MakeSignal(Music);
    std::vector<std::int16_t> interleaved(2 * left.size());
    for (std::size_t i = 0; i < left.size(); ++i) {
        interleaved[2 * i] = left[i];
        interleaved[2 * i + 1] = static_cast<std::int16_t>(-left[left.size() - 1 - i]);
    }
    const std::size_t frameBytes = 2 * static_cast<std::size_t>(n);
    std::vector<std::uint8_t> bytes(frameBytes);
    auto coding = SL::CVexaCoding::Create(n);
    for (auto _ : state) {
        for (std::size_t f = 0; f < left.size() / kFrame; ++f) {
            const auto block = std::span(interleaved).subspan(f * 2 * kFrame, 2 * kFrame);
            coding->Encode(block, 2, 0, bytes);
            coding->Encode(block, 2, 1, bytes);
            benchmark::DoNotOptimize(bytes.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(interleaved.size()));
}

BENCHMARK(BM_Encode)->ArgsProduct({{8, 4}, {Noise, Music}})->ArgNames({"N", "signal"});
BENCHMARK(BM_Decode)->ArgsProduct({{8, 4}, {Noise, Music}})->ArgNames({"N", "signal"});
BENCHMARK(BM_EncodeStereoInterleaved)->Arg(8)->ArgName("N");

} // namespace
