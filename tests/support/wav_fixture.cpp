#include "tests/support/wav_fixture.h"

#include <cmath>
#include <fstream>

namespace ZQ3::Fixture {
namespace {

void PutLittle(std::string& bytes, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i) {
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

} // namespace

void WriteWav(const std::string& path, std::uint32_t rate, int channels, int bitsPerSample,
              std::uint32_t frames, const std::function<std::int32_t(std::uint32_t, int)>& sample) {
    const int width = bitsPerSample / 8;
    const auto channelCount = static_cast<std::uint64_t>(channels);
    const auto blockAlign = channelCount * static_cast<std::uint64_t>(width);
    const std::uint64_t dataSize = std::uint64_t{frames} * blockAlign;
    std::string bytes = "RIFF";
    PutLittle(bytes, 4 + 24 + 8 + dataSize + (dataSize & 1), 4);
    bytes += "WAVEfmt ";
    PutLittle(bytes, 16, 4);
    PutLittle(bytes, 1, 2);
    PutLittle(bytes, channelCount, 2);
    PutLittle(bytes, rate, 4);
    PutLittle(bytes, std::uint64_t{rate} * blockAlign, 4);
    PutLittle(bytes, blockAlign, 2);
    PutLittle(bytes, static_cast<std::uint64_t>(bitsPerSample), 2);
    bytes += "data";
    PutLittle(bytes, dataSize, 4);
    bytes.reserve(bytes.size() + dataSize + 1);
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        for (int channel = 0; channel < channels; ++channel) {
            std::int32_t value = sample(frame, channel);
            // 8-bit WAV samples are unsigned.
            if (width == 1) {
                value += 128;
            }
            PutLittle(bytes, static_cast<std::uint32_t>(value), width);
        }
    }
    if (dataSize & 1) {
        bytes.push_back('\0');
    }
    std::ofstream output(path, std::ios::binary | std::ios::trunc);
    output.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void WriteTestWav(const std::string& path, int channels, std::uint32_t frames) {
    WriteWav(path, 44100, channels, 16, frames, [](std::uint32_t frame, int channel) {
        const double t = frame / 44100.0;
        const double value = 12000 * std::sin(2 * M_PI * (220 + 110 * channel) * t) +
                             6000 * std::sin(2 * M_PI * 1375 * t + channel);
        return static_cast<std::int32_t>(std::lround(value));
    });
}

} // namespace ZQ3::Fixture
