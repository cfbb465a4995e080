// The import and export paths end to end through real files: a 10-minute stereo 16-bit PCM file
// copied sample by sample into card channel files, and the card files decoded back into PCM.
// Reports samples per second and the process's peak resident memory, which must not grow with
// the length of the file.

#include "sl/codec/vexa_file_input_sample_iterator.h"
#include "sl/codec/vexa_file_output_sample_iterator.h"
#include "sl/samples/file_input_sample_iterator.h"
#include "sl/samples/file_output_sample_iterator.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kFrames = 44100 * 600; // ten minutes
constexpr int kChannels = 2;

std::string TemporaryPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("zq3_bench_" + name)).string();
}

// The fixtures are large; they go when the program ends.
struct CTemporaryFiles {
    ~CTemporaryFiles() {
        for (const char* name : {"pcm.raw", "SMPL.ZQD", "SMPR.ZQD", "export.raw"}) {
            std::error_code ignored;
            std::filesystem::remove(TemporaryPath(name), ignored);
        }
    }
} temporaryFiles;

// Written once, in chunks, so that making the fixture does not itself hold the file in memory.
const std::string& PcmFile() {
    static const std::string path = [] {
        const std::string p = TemporaryPath("pcm.raw");
        std::ofstream out(p, std::ios::binary);
        std::mt19937 rng(1);
        std::normal_distribution<double> hiss(0, 80);
        std::vector<std::int16_t> chunk;
        for (std::int32_t t = 0; t < kFrames; ++t) {
            const double s = std::sin(2 * M_PI * 220 * t / 44100.0);
            chunk.push_back(static_cast<std::int16_t>(12000 * s + hiss(rng)));
            chunk.push_back(static_cast<std::int16_t>(-9000 * s + hiss(rng)));
            if (chunk.size() == 1 << 16) {
                out.write(reinterpret_cast<const char*>(chunk.data()),
                          static_cast<std::streamsize>(2 * chunk.size()));
                chunk.clear();
            }
        }
        out.write(reinterpret_cast<const char*>(chunk.data()),
                  static_cast<std::streamsize>(2 * chunk.size()));
        return p;
    }();
    return path;
}

std::vector<std::string> CardFiles() {
    return {TemporaryPath("SMPL.ZQD"), TemporaryPath("SMPR.ZQD")};
}

double PeakResidentMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

bool Import(const std::vector<std::string>& cardFiles) {
    const SL::CSampleAttribute attribute(SL::CBitDepth::INTEGER16, 44100.0, kChannels, kFrames);
    auto pcm = std::make_shared<std::ifstream>(PcmFile(), std::ios::binary);
    SL::CFileInputSampleIterator<SL::CSampleTag::Integer16> source(
        attribute, pcm, 0, std::int64_t{2} * kChannels * kFrames);
    std::vector<std::shared_ptr<std::ostream>> streams;
    for (const std::string& path : cardFiles) {
        streams.push_back(std::make_shared<std::ofstream>(path, std::ios::binary));
    }
    SL::CVexaFileOutputSampleIterator output(std::move(streams));
    while (source.IsValid() && output.IsValid()) {
        output.SetValue(source.GetValue());
        output.Advance();
        source.Advance();
    }
    return source.IsGood() && output.Finish();
}

void BM_ImportTenMinutesStereo(benchmark::State& state) {
    PcmFile();
    const auto cardFiles = CardFiles();
    for (auto _ : state) {
        if (!Import(cardFiles)) {
            state.SkipWithError("import failed");
        }
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t{kChannels} * kFrames);
    state.counters["peak_MiB"] = PeakResidentMiB();
}

void BM_ExportTenMinutesStereo(benchmark::State& state) {
    const auto cardFiles = CardFiles();
    if (!Import(cardFiles)) {
        state.SkipWithError("import failed");
        return;
    }
    const std::string target = TemporaryPath("export.raw");
    for (auto _ : state) {
        std::vector<std::shared_ptr<std::istream>> streams;
        for (const std::string& path : cardFiles) {
            streams.push_back(std::make_shared<std::ifstream>(path, std::ios::binary));
        }
        SL::CVexaFileInputSampleIterator source(std::move(streams), 8, kFrames);
        const SL::CSampleAttribute attribute(SL::CBitDepth::INTEGER16, 44100.0, kChannels, 0);
        SL::CFileOutputSampleIterator<SL::CSampleTag::Integer16> output(
            attribute, std::make_shared<std::ofstream>(target, std::ios::binary), 0,
            std::int64_t{1} << 40);
        while (source.IsValid() && output.IsValid()) {
            output.SetValue(source.GetValue());
            output.Advance();
            source.Advance();
        }
        if (!source.IsGood() || !output.Finish()) {
            state.SkipWithError("export failed");
        }
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t{kChannels} * kFrames);
    state.counters["peak_MiB"] = PeakResidentMiB();
    std::remove(target.c_str());
}

BENCHMARK(BM_ImportTenMinutesStereo)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExportTenMinutesStereo)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
