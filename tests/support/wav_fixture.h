#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace ZQ3::Fixture {

// Writes a plain PCM WAV file with the given shape, independently of the converter's own file
// code, so that tests can feed it files it did not write itself. sample(frame, channel) gives
// each value, already scaled to bitsPerSample.
void WriteWav(const std::string& path, std::uint32_t rate, int channels, int bitsPerSample,
              std::uint32_t frames, const std::function<std::int32_t(std::uint32_t, int)>& sample);

// A 16-bit 44.1 kHz file of a mixed-sine signal, different on each channel.
void WriteTestWav(const std::string& path, int channels, std::uint32_t frames);

} // namespace ZQ3::Fixture
