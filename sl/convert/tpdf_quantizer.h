#pragma once

#include <cstddef>
#include <cstdint>

namespace SL {

// Turns float samples (full scale ±1) into 16-bit ones. With dither, triangular noise of ±1 LSB
// peak is added before rounding to each sample that falls between two 16-bit steps, so that the
// error of the shorter word is noise independent of the signal rather than distortion. Samples
// beyond the 16-bit range are held at its ends and counted. The noise comes from a fixed seed, so
// the same input gives the same file.
class CTpdfQuantizer {
public:
    explicit CTpdfQuantizer(bool dither) : dither_(dither) {}

    void quantize(const float* input, std::size_t count, std::int16_t* output);

    // How many samples so far were beyond the 16-bit range and held at its ends.
    std::int64_t clippedSamples() const { return clipped_; }

private:
    // A uniform value in [0, 1) from a 64-bit xorshift generator.
    double nextUniform();

    bool dither_;
    std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
    std::int64_t clipped_ = 0;
};

} // namespace SL
