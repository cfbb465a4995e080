// Throughput of the file sample iterators on the import and export paths: one virtual
// IsValid/GetValue/Advance (or SetValue/Advance) per sample, through the interfaces the copy
// loops use.
#include "sl/samples/file_input_sample_iterator.h"
#include "sl/samples/file_output_sample_iterator.h"
#include "sl/samples/file_sample_iterator_factory.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int Tag = SL::CSampleTag::Integer16;
constexpr std::int64_t HeaderBytes = 44;

SL::CSampleAttribute Stereo16(int endianness) {
    return SL::CSampleAttribute(SL::CBitDepth::INTEGER16, 44100.0, 2, 0, endianness);
}

// A file of 10 s of stereo 16-bit noise after a 44-byte header.
const std::string& SampleFile() {
    static const std::string path = [] {
        const std::string name =
            (std::filesystem::temp_directory_path() / "zq3_bench_samples.raw").string();
        std::ofstream out(name, std::ios::binary | std::ios::trunc);
        std::string bytes(HeaderBytes + 4 * 441000, '\0');
        unsigned state = 1;
        for (char& byte : bytes) {
            state = state * 1103515245u + 12345u;
            byte = static_cast<char>(state >> 24);
        }
        out.write(bytes.data(), std::streamsize(bytes.size()));
        return name;
    }();
    return path;
}

void ReadFile(benchmark::State& state, int endianness) {
    const auto size = std::int64_t(std::filesystem::file_size(SampleFile()));
    std::int64_t samples = 0;
    for (auto _ : state) {
        auto input = SL::CreateFileInputSampleIterator(
            Stereo16(endianness), std::make_shared<std::ifstream>(SampleFile(), std::ios::binary),
            HeaderBytes, size);
        auto& typed = dynamic_cast<SL::ITypedInputSampleIterator<Tag>&>(*input);
        std::int64_t sum = 0;
        for (; typed.IsValid(); typed.Advance()) {
            sum += typed.GetValue();
            ++samples;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(samples);
}

void BM_FileInputLittleEndian(benchmark::State& state) {
    ReadFile(state, 1);
}
void BM_FileInputBigEndian(benchmark::State& state) {
    ReadFile(state, 0);
}

void BM_FileOutput(benchmark::State& state) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "zq3_bench_samples_out.raw").string();
    std::int64_t samples = 0;
    for (auto _ : state) {
        auto output = SL::CreateFileOutputSampleIterator(
            Stereo16(1), std::make_shared<std::ofstream>(path, std::ios::binary | std::ios::trunc),
            HeaderBytes, 0x7FFFFFFF);
        auto& typed = dynamic_cast<SL::ITypedOutputSampleIterator<Tag>&>(*output);
        for (std::int16_t value = 0; value < 30000 && typed.IsValid(); ++value) {
            for (int repeat = 0; repeat < 30; ++repeat) {
                typed.SetValue(value);
                typed.Advance();
                ++samples;
            }
        }
        benchmark::DoNotOptimize(output->Finish());
    }
    state.SetItemsProcessed(samples);
    std::remove(path.c_str());
}

} // namespace

BENCHMARK(BM_FileInputLittleEndian)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FileInputBigEndian)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FileOutput)->Unit(benchmark::kMillisecond);
