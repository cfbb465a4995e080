#include "tests/support/wav_fixture.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace ZQ3::Fixture {
namespace {

void PutLittle(std::string& bytes, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i) {
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

std::uint32_t GetLittle(const std::string& bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(width); ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return value;
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

bool ReadSimpleWav(const std::string& path, WavShape& shape) {
    std::ifstream input(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(input),
                            std::istreambuf_iterator<char>()};
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) {
        return false;
    }
    std::size_t at = 12;
    bool haveFormat = false;
    while (at + 8 <= bytes.size()) {
        const std::string id = bytes.substr(at, 4);
        const std::uint32_t size = GetLittle(bytes, at + 4, 4);
        const std::size_t body = at + 8;
        if (body + size > bytes.size()) {
            return false;
        }
        if (id == "fmt " && size >= 16) {
            shape.formatTag = static_cast<std::uint16_t>(GetLittle(bytes, body, 2));
            shape.channels = static_cast<std::uint16_t>(GetLittle(bytes, body + 2, 2));
            shape.rate = GetLittle(bytes, body + 4, 4);
            shape.bitsPerSample = static_cast<std::uint16_t>(GetLittle(bytes, body + 14, 2));
            haveFormat = true;
        } else if (id == "data" && haveFormat && shape.channels > 0 && shape.bitsPerSample > 0) {
            const std::uint32_t frameBytes = shape.channels * (shape.bitsPerSample / 8);
            shape.frames = size / frameBytes;
            if (shape.bitsPerSample == 16) {
                shape.samples.resize(size / 2);
                std::memcpy(shape.samples.data(), bytes.data() + body, shape.samples.size() * 2);
            }
            return true;
        }
        at = body + size + (size & 1);
    }
    return false;
}

} // namespace ZQ3::Fixture
