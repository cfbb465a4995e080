// The encoder and decoder agree on every frame, and both agree bit for bit with a plain second
// implementation of the format.

#include "sl/codec/compressor.h"
#include "sl/codec/expander.h"
#include "vexa_reference.h"
#include "vexa_signals.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

namespace {

using SL::Private::compressor;
using SL::Private::expander;
using VexaSignals::CFrame;

constexpr int kFramesPerSignal = 1500;

class VexaRoundTrip : public ::testing::TestWithParam<int> {};

// Decoding the encoder's bytes from the same state gives exactly the encoder's reconstruction,
// so the two sides of a stream never drift apart.
TEST_P(VexaRoundTrip, DecoderReproducesTheEncodersReconstruction) {
    const int n = GetParam();
    std::set<std::pair<char16_t, int>> seen;
    for (const auto& signal : VexaSignals::AdversarialSignals()) {
        SCOPED_TRACE(signal.name);
        std::mt19937 rng(static_cast<std::mt19937::result_type>(77 * n));
        const auto frames = signal.make(rng, kFramesPerSignal);
        compressor encoder;
        expander decoder;
        std::int32_t encoderState = 0, decoderState = 0;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(2 * n));
        for (std::size_t f = 0; f < frames.size(); ++f) {
            compressor::CReconstruction encoded{};
            expander::CReconstruction decoded{};
            CFrame out{};
            encoderState = encoder.Compress(n, frames[f], encoderState, bytes.data(), encoded);
            decoderState = decoder.Expand(n, bytes.data(), decoderState, out, decoded);
            ASSERT_EQ(encoded, decoded) << "frame " << f;
            ASSERT_EQ(encoderState, decoderState) << "frame " << f;
            ASSERT_EQ(decoder.GetMode(), encoder.GetMode()) << "frame " << f;
            ASSERT_EQ(decoder.GetRangeExponent(), encoder.GetRangeExponent()) << "frame " << f;
            for (std::size_t i = 0; i < 16; ++i) {
                // The encoder keeps its reconstructions inside the 16-bit range.
                ASSERT_EQ(out[i], encoded[i]) << "frame " << f << " sample " << i;
            }
            seen.insert({encoder.GetMode(), encoder.GetRangeExponent()});
        }
    }
    // Every mode the encoder writes turns up across these signals.
    std::set<char16_t> modes;
    for (const auto& [mode, w] : seen) {
        modes.insert(mode);
        EXPECT_GE(w, n - 4) << "x must never be negative";
    }
    EXPECT_EQ(modes, (std::set<char16_t>{u'A', u'B', u'C', u'D', u'E', u'F'}));
}

TEST_P(VexaRoundTrip, EncoderMatchesTheReferenceBitForBit) {
    const int n = GetParam();
    int saturations = 0, pullIns = 0;
    for (const auto& signal : VexaSignals::AdversarialSignals()) {
        SCOPED_TRACE(signal.name);
        std::mt19937 rng(static_cast<std::mt19937::result_type>(31 * n + 5));
        const auto frames = signal.make(rng, kFramesPerSignal / 3);
        compressor encoder;
        std::int32_t state = 0;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(2 * n));
        for (std::size_t f = 0; f < frames.size(); ++f) {
            const VexaReference::CEncoded expected = VexaReference::Encode(n, frames[f], state);
            compressor::CReconstruction reconstruction{};
            state = encoder.Compress(n, frames[f], state, bytes.data(), reconstruction);
            ASSERT_EQ(bytes, expected.bytes) << "frame " << f;
            ASSERT_EQ(reconstruction, expected.reconstruction) << "frame " << f;
            ASSERT_EQ(state, expected.state);
            ASSERT_EQ(encoder.GetMode(), static_cast<char16_t>(expected.info.mode));
            ASSERT_EQ(encoder.GetRangeExponent(), expected.info.rangeExponent);
            saturations += expected.saturations;
            pullIns += expected.pullIns;
        }
    }
    // The corpus reaches the saturation and range rules of the residual quantiser (the
    // odd-neighbour rule needs a crafted anchor: see the quantiser tests).
    EXPECT_GT(saturations, 0);
    EXPECT_GT(pullIns, 0);
}

// Arbitrary bytes and arbitrary 32-bit anchors: mode G, ranges below N - 4, wrapping
// predictions and the output clamp all have to come out as the reference says.
TEST_P(VexaRoundTrip, DecoderMatchesTheReferenceOnArbitraryFrames) {
    const int n = GetParam();
    std::mt19937 rng(static_cast<std::mt19937::result_type>(999 + n));
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::int32_t> anyState(INT32_MIN, INT32_MAX);
    std::map<char16_t, int> modes;
    expander decoder;
    std::int32_t state = 0;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(2 * n));
    for (int f = 0; f < 6000; ++f) {
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>(byte(rng));
        }
        switch (f % 4) {
        case 0:
            break; // the state the previous frame left
        case 1:
            state = anyState(rng);
            break;
        case 2:
            state = f % 8 == 2 ? INT32_MAX : INT32_MIN;
            break;
        default:
            state = std::uniform_int_distribution<std::int32_t>(-32768, 32767)(rng);
        }
        const VexaReference::CDecoded expected = VexaReference::Decode(n, bytes, state);
        CFrame out{};
        expander::CReconstruction reconstruction{};
        const std::int32_t next = decoder.Expand(n, bytes.data(), state, out, reconstruction);
        ASSERT_EQ(out, expected.samples) << "frame " << f;
        ASSERT_EQ(reconstruction, expected.reconstruction) << "frame " << f;
        ASSERT_EQ(next, expected.state);
        ASSERT_EQ(decoder.GetMode(), static_cast<char16_t>(expected.info.mode));
        ASSERT_EQ(decoder.GetRangeExponent(), expected.info.rangeExponent);
        ++modes[decoder.GetMode()];
        state = next;
    }
    EXPECT_EQ(modes.size(), 7u) << "random headers reach all seven modes";
}

// A decoder can leave any 32-bit state behind. Coding from such an anchor must still be
// well defined and agree with the decoder, even though the reconstructions may then leave the
// 16-bit range.
TEST_P(VexaRoundTrip, EncoderAndDecoderAgreeFromAnyAnchor) {
    const int n = GetParam();
    std::mt19937 rng(static_cast<std::mt19937::result_type>(4321 + n));
    std::uniform_int_distribution<std::int32_t> anyState(INT32_MIN, INT32_MAX);
    const auto signals = VexaSignals::AdversarialSignals();
    compressor encoder;
    expander decoder;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(2 * n));
    for (std::size_t f = 0; f < 3000; ++f) {
        const CFrame samples = signals[f % signals.size()].make(rng, 1)[0];
        const std::int32_t anchor =
            f % 3 == 0 ? anyState(rng) : (f % 3 == 1 ? INT32_MIN : INT32_MAX);
        compressor::CReconstruction encoded{};
        expander::CReconstruction decoded{};
        CFrame out{};
        const std::int32_t next = encoder.Compress(n, samples, anchor, bytes.data(), encoded);
        ASSERT_EQ(decoder.Expand(n, bytes.data(), anchor, out, decoded), next);
        ASSERT_EQ(encoded, decoded) << "frame " << f;
        ASSERT_EQ(decoder.GetMode(), encoder.GetMode());
        ASSERT_EQ(decoder.GetRangeExponent(), encoder.GetRangeExponent());
    }
}

INSTANTIATE_TEST_SUITE_P(EveryN, VexaRoundTrip, ::testing::Range(4, 9));

} // namespace
