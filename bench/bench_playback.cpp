// Measures what a pad's audition costs: how long play takes to hand the first buffers to the
// device, and how much of one core the process uses while the pad plays. Runs on the null
// output (or whatever ZQ3_AUDIO_OUT names) so that it needs no sound card.
//
//   bench_playback [seconds-of-sample] [repeats]

#include "app/card_sample_files.h"
#include "app/player.h"
#include "sl/audio/audio_device_base.h"
#include "sl/audio/mme_audio_device_base.h"
#include "sl/audio/mme_audio_device_facade.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::vector<std::string> MakeStereoPad(const std::filesystem::path& directory,
                                       std::uint32_t frames) {
    std::vector<std::string> paths{(directory / "SMP0000L.ZQD").string(),
                                   (directory / "SMP0000R.ZQD").string()};
    auto out = ZQ3::OpenCardSampleOutputIterator(paths);
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        for (int channel = 0; channel < 2; ++channel) {
            out->SetValue(
                static_cast<std::int16_t>(10000 * std::sin(0.02 * frame * (channel + 1))));
            out->Advance();
        }
    }
    out->Finish();
    return paths;
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 20;
    if (std::getenv("ZQ3_AUDIO_OUT") == nullptr) {
        setenv("ZQ3_AUDIO_OUT", "null", 1);
    }
    const auto directory =
        std::filesystem::temp_directory_path() / ("zq3_bench_playback_" + std::to_string(getpid()));
    std::filesystem::create_directories(directory);
    const auto frames = static_cast<std::uint32_t>(seconds * 44100);
    const auto paths = MakeStereoPad(directory, frames);

    ZQ3::CPlayer player(
        std::make_shared<SL::CMmeAudioDeviceFacade>(SL::CMmeAudioDeviceBase::EventCallback));
    player.ringBufferTime = ZQ3::CPlayer::DefaultRingBufferTime;
    player.deviceBufferTime = ZQ3::CPlayer::DefaultDeviceBufferTime;
    dynamic_cast<SL::CAudioDeviceBase&>(*player.getAudioOutDevice())
        .setDeviceBufferTime(player.deviceBufferTime);
    const auto& device = player.getAudioOutDevice();

    // Start-up: play() returns once the ring is filled and all device buffers are written.
    std::vector<double> startMs;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        player.playCardSample(paths, false, frames);
        startMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (!device->isPlaying()) {
            std::fprintf(stderr, "playback failed\n");
            return 1;
        }
        player.stop();
    }
    std::sort(startMs.begin(), startMs.end());
    std::printf("play() to first buffers written: median %.2f ms, worst %.2f ms (%d runs)\n",
                startMs[startMs.size() / 2], startMs.back(), repeats);

    // Steady state: one whole pad, CPU time of the whole process over the wall time.
    const double cpuBefore = ProcessCpuSeconds();
    const auto wallBefore = Clock::now();
    player.playCardSample(paths, false, frames);
    while (device->isPlaying()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    std::printf("playing %.1f s of stereo pad: %.3f s CPU in %.3f s = %.2f%% of one core\n",
                seconds, cpu, wall, 100.0 * cpu / wall);
    std::filesystem::remove_all(directory);
    return 0;
}
