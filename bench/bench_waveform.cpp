// How soon the waveform of a long pad can be shown: a 30-second stereo pad's channel files read
// into the outline the main window draws, directly and through the cache and its worker thread
// as the desktop program asks for it when a pad is selected. The files sit in the page cache
// after the first round, so the figures are the decoding's, not a slow card's.

#include "app/model.h"
#include "app/pad_waveform.h"
#include "app/pad_waveform_cache.h"
#include "card/card_layout.h"
#include "sl/codec/vexa_file_output_sample_iterator.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <unistd.h>

namespace {

constexpr std::int32_t kFrames = 44100 * 30;
constexpr int kPad = 5;
// The main window's waveform is this many pixels wide.
constexpr int kColumns = 118;

// A card folder holding one 30-second stereo pad, removed when the program ends.
class CBenchCard {
public:
    CBenchCard()
        : root_(std::filesystem::temp_directory_path() /
                ("zq3_bench_waveform_" + std::to_string(::getpid()))) {
        model_.cardRoot = root_.string();
        model_.bank = 0;
        model_.selectedPad = kPad;
        ZQ3::SampleEntry& entry = model_.entryOf(kPad);
        entry.frameCount = kFrames;
        entry.stereo = true;
        std::filesystem::create_directories(ZQ3::CardLayout::CardDirectory(model_.cardRoot));
        std::vector<std::shared_ptr<std::ostream>> streams;
        for (const std::string& path : model_.channelFilePaths(kPad)) {
            streams.push_back(std::make_shared<std::ofstream>(path, std::ios::binary));
        }
        SL::CVexaFileOutputSampleIterator output(std::move(streams));
        std::mt19937 rng(1);
        std::normal_distribution<double> hiss(0, 80);
        for (std::int32_t t = 0; t < kFrames; ++t) {
            const double s = std::sin(2 * M_PI * 220 * t / 44100.0) * (1.0 - t / double(kFrames));
            for (const double gain : {12000.0, -9000.0}) {
                output.SetValue(static_cast<std::int16_t>(gain * s + hiss(rng)));
                output.Advance();
            }
        }
        ok_ = output.Finish();
    }
    ~CBenchCard() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    bool ok() const { return ok_; }
    const ZQ3::CModel& model() const { return model_; }

private:
    std::filesystem::path root_;
    ZQ3::CModel model_;
    bool ok_ = false;
};

CBenchCard& Card() {
    static CBenchCard card;
    return card;
}

void BM_PadWaveformThirtySecondsStereo(benchmark::State& state) {
    if (!Card().ok()) {
        state.SkipWithError("the card files could not be written");
        return;
    }
    const auto sound = ZQ3::PadSound::Of(Card().model(), kPad);
    const std::atomic<bool> cancelled{false};
    for (auto _ : state) {
        auto waveform = ZQ3::ReadPadWaveform(*sound, kColumns, cancelled);
        if (!waveform) {
            state.SkipWithError("the pad could not be read");
        }
        benchmark::DoNotOptimize(waveform);
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t{2} * kFrames);
}

// From the request to the outline stored, as selecting the pad in the desktop program does:
// every round is a card the cache has not seen.
void BM_PadWaveformThroughTheCache(benchmark::State& state) {
    if (!Card().ok()) {
        state.SkipWithError("the card files could not be written");
        return;
    }
    std::mutex mutex;
    std::condition_variable ready;
    bool stored = false;
    ZQ3::CPadWaveformCache cache(kColumns, [&] {
        std::lock_guard lock(mutex);
        stored = true;
        ready.notify_all();
    });
    for (auto _ : state) {
        const auto model = std::make_shared<const ZQ3::CModel>(Card().model());
        {
            std::lock_guard lock(mutex);
            stored = false;
        }
        if (cache.waveformOf(model, kPad)) {
            state.SkipWithError("the cache kept an outline across a change of the card");
            break;
        }
        std::unique_lock lock(mutex);
        ready.wait(lock, [&] { return stored; });
        lock.unlock();
        if (!cache.waveformOf(model, kPad)) {
            state.SkipWithError("no outline after the cache said it was ready");
            break;
        }
    }
}

BENCHMARK(BM_PadWaveformThirtySecondsStereo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PadWaveformThroughTheCache)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
