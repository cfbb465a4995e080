#pragma once

#include <cstdint>

namespace ZQ3 {

// The tempo, in tenths of a beat per minute, that the sampler shows for a sample of frameCount
// frames at 44.1 kHz: the whole-bar or doubled/halved reading nearest to 120 BPM.
std::uint32_t TempoForFrameCount(std::uint32_t frameCount);

} // namespace ZQ3
