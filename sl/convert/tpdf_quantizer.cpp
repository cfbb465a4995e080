#include "sl/convert/tpdf_quantizer.h"

#include <cmath>

namespace SL {

double CTpdfQuantizer::nextUniform() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<double>(state_ >> 11) * (1.0 / 9007199254740992.0);
}

void CTpdfQuantizer::quantize(const float* input, std::size_t count, std::int16_t* output) {
    for (std::size_t i = 0; i < count; ++i) {
        double value = static_cast<double>(input[i]) * 32768.0;
        // Only a sample that lies between two 16-bit steps loses word length: one on a step
        // (digital silence, a 16-bit sample passed through at unity gain) is kept exact, so
        // silence stays silent and an unchanged 16-bit signal stays unchanged.
        if (dither_ && value != std::nearbyint(value)) {
            value += nextUniform() - nextUniform();
        }
        value = std::nearbyint(value);
        if (value > 32767.0) {
            value = 32767.0;
            ++clipped_;
        } else if (value < -32768.0) {
            value = -32768.0;
            ++clipped_;
        } else if (std::isnan(value)) {
            value = 0.0;
        }
        output[i] = static_cast<std::int16_t>(value);
    }
}

} // namespace SL
