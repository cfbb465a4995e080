#include "sl/convert/tpdf_quantizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace SL {
namespace {

TEST(TpdfQuantizer, ClipsAndCountsBeyondTheRange) {
    CTpdfQuantizer quantizer(true);
    const float in[] = {1.5f, -1.5f, 1.0f, -1.0f, 0.0f, NAN};
    std::int16_t out[6] = {};
    quantizer.quantize(in, 6, out);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[1], -32768);
    EXPECT_EQ(out[2], 32767);
    EXPECT_EQ(out[3], -32768);
    EXPECT_EQ(out[4], 0);
    EXPECT_EQ(out[5], 0);
    // Full scale +1.0 is one step beyond the highest 16-bit value.
    EXPECT_EQ(quantizer.clippedSamples(), 3);
}

TEST(TpdfQuantizer, DithersOnlyBetweenSteps) {
    CTpdfQuantizer quantizer(true);
    // Exact 16-bit values pass unchanged.
    std::vector<float> exact;
    for (int v = -300; v <= 300; v += 7) {
        exact.push_back(static_cast<float>(v) / 32768.0f);
    }
    std::vector<std::int16_t> out(exact.size());
    quantizer.quantize(exact.data(), exact.size(), out.data());
    for (std::size_t i = 0; i < exact.size(); ++i) {
        EXPECT_EQ(out[i], static_cast<std::int16_t>(std::lround(exact[i] * 32768.0f)));
    }
    // A constant between steps comes out within one step of it, with the right mean: the
    // error is noise, not a bias.
    const std::vector<float> between(100000, 100.25f / 32768.0f);
    std::vector<std::int16_t> dithered(between.size());
    quantizer.quantize(between.data(), between.size(), dithered.data());
    double sum = 0;
    bool varied = false;
    for (const std::int16_t v : dithered) {
        EXPECT_GE(v, 99);
        EXPECT_LE(v, 102);
        sum += v;
        varied = varied || v != dithered[0];
    }
    EXPECT_TRUE(varied);
    EXPECT_NEAR(sum / double(dithered.size()), 100.25, 0.01);
    EXPECT_EQ(quantizer.clippedSamples(), 0);
}

} // namespace
} // namespace SL
