// The coding object and the coder's buffers: per-channel states, strided channels, cloning and
// the argument checks that keep a stream from writing past its buffers.

#include "sl/codec/vexa_coder.h"
#include "sl/codec/vexa_coding.h"
#include "vexa_signals.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using SL::CVexaCoder;
using SL::CVexaCoding;
using VexaSignals::CFrame;

std::vector<CFrame> SomeFrames(std::size_t count, unsigned seed) {
    std::mt19937 rng(seed);
    const auto signals = VexaSignals::AdversarialSignals();
    std::vector<CFrame> frames;
    for (std::size_t i = 0; i < count; ++i) {
        const auto& signal = signals[i % signals.size()];
        frames.push_back(signal.make(rng, 1)[0]);
    }
    return frames;
}

TEST(VexaCoding, CreatesOnlyForFourToEightBits) {
    EXPECT_FALSE(CVexaCoding::Create(3));
    EXPECT_FALSE(CVexaCoding::Create(9));
    EXPECT_FALSE(CVexaCoding::Create(0));
    for (int n = 4; n <= 8; ++n) {
        const auto coding = CVexaCoding::Create(n);
        ASSERT_TRUE(coding);
        EXPECT_EQ(coding->GetBitsPerSample(), n);
        EXPECT_EQ(coding->GetState(5), 0);
    }
}

// Interleaved channels keep separate states, and coding one channel of an interleaved buffer is
// the same as coding it alone.
TEST(VexaCoding, StridedChannelsMatchSeparateMonoStreams) {
    constexpr std::size_t channels = 3;
    for (int n = 4; n <= 8; ++n) {
        SCOPED_TRACE(n);
        auto interleaved = CVexaCoding::Create(n);
        std::vector<std::shared_ptr<CVexaCoding>> mono;
        std::vector<std::shared_ptr<CVexaCoding>> monoDecoders;
        for (std::size_t c = 0; c < channels; ++c) {
            mono.push_back(CVexaCoding::Create(n));
            monoDecoders.push_back(CVexaCoding::Create(n));
        }
        auto decoder = CVexaCoding::Create(n);
        const auto frames = SomeFrames(60, static_cast<unsigned>(3 + n));
        const auto frameBytes = static_cast<std::size_t>(2 * n);
        std::vector<std::uint8_t> strided(frameBytes), alone(frameBytes);
        for (std::size_t f = 0; f + channels <= frames.size(); f += channels) {
            std::vector<std::int16_t> pcm(16 * channels);
            for (std::size_t c = 0; c < channels; ++c) {
                for (std::size_t i = 0; i < 16; ++i) {
                    pcm[i * channels + c] = frames[f + c][i];
                }
            }
            std::vector<std::int16_t> decoded(16 * channels, 0x5555);
            for (std::size_t c = 0; c < channels; ++c) {
                const auto state = interleaved->Encode(pcm, channels, c, strided);
                ASSERT_TRUE(state);
                EXPECT_EQ(*state, interleaved->GetState(c));
                EXPECT_EQ(mono[c]->Encode(frames[f + c], 1, 0, alone), state);
                EXPECT_EQ(strided, alone);

                EXPECT_EQ(decoder->Decode(strided, decoded, channels, c), state);
                CFrame single{};
                EXPECT_EQ(monoDecoders[c]->Decode(alone, single, 1, 0), state);
                for (std::size_t i = 0; i < 16; ++i) {
                    EXPECT_EQ(decoded[i * channels + c], single[i]);
                }
            }
        }
    }
}

TEST(VexaCoding, DecodingTouchesOnlyItsChannel) {
    auto coding = CVexaCoding::Create(8);
    std::vector<std::uint8_t> frame(16, 0x37);
    std::vector<std::int16_t> pcm(32, 1234);
    ASSERT_TRUE(coding->Decode(frame, pcm, 2, 1));
    for (std::size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(pcm[2 * i], 1234);
    }
}

TEST(VexaCoding, CloneContinuesFromTheSameStates) {
    auto coding = CVexaCoding::Create(6);
    const auto frames = SomeFrames(20, 11);
    std::vector<std::uint8_t> frame(12), fromClone(12);
    for (std::size_t f = 0; f < 10; ++f) {
        ASSERT_TRUE(coding->Encode(frames[f], 1, 0, frame));
    }
    coding->SetState(2, -77);
    const auto clone = coding->Clone();
    ASSERT_TRUE(clone);
    EXPECT_EQ(clone->GetBitsPerSample(), 6);
    for (std::size_t f = 10; f < 20; ++f) {
        const auto a = coding->Encode(frames[f], 1, 0, frame);
        const auto b = clone->Encode(frames[f], 1, 0, fromClone);
        ASSERT_TRUE(a);
        EXPECT_EQ(a, b);
        EXPECT_EQ(frame, fromClone);
    }
    // The clone's states are its own.
    const auto typed = std::dynamic_pointer_cast<CVexaCoding>(clone);
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->GetState(2), -77);
    typed->SetState(2, 5);
    EXPECT_EQ(coding->GetState(2), -77);
}

TEST(VexaCoding, RefusesBuffersThatCannotHoldTheFrame) {
    auto coding = CVexaCoding::Create(8);
    std::vector<std::int16_t> pcm(32);
    std::vector<std::uint8_t> frame(16);
    std::vector<std::uint8_t> shortFrame(15);
    EXPECT_FALSE(coding->Encode(pcm, 1, 0, shortFrame));
    EXPECT_FALSE(coding->Decode(shortFrame, pcm, 1, 0));
    EXPECT_FALSE(coding->Encode(pcm, 0, 0, frame));
    EXPECT_FALSE(coding->Encode(pcm, 3, 0, frame)) << "needs 46 samples";
    EXPECT_FALSE(coding->Encode(pcm, 2, 2, frame));
    EXPECT_FALSE(coding->Decode(frame, pcm, 2, 2));
    EXPECT_FALSE(coding->Encode(std::span<const std::int16_t>(pcm).first(15), 1, 0, frame));
    EXPECT_FALSE(coding->Encode(pcm, SIZE_MAX, 0, frame));
    EXPECT_FALSE(coding->Encode(pcm, 1, SIZE_MAX, frame));
    EXPECT_TRUE(coding->Encode(pcm, 2, 1, frame));
    EXPECT_TRUE(coding->Encode(std::span<const std::int16_t>(pcm).first(16), 1, 0, frame));
    // Nothing refused touched a state.
    EXPECT_EQ(coding->GetState(0), 0);
    EXPECT_EQ(coding->GetState(2), 0);
}

TEST(VexaCoder, ChecksItsShape) {
    const auto coding = CVexaCoding::Create(8);
    EXPECT_FALSE(CVexaCoder::Create({8, 16}, {1, 1}, 2, nullptr));
    EXPECT_FALSE(CVexaCoder::Create({4, 16}, {1, 1}, 2, coding)) << "N differs from the coding";
    EXPECT_FALSE(CVexaCoder::Create({8, 24}, {1, 1}, 2, coding));
    EXPECT_FALSE(CVexaCoder::Create({8, 16}, {1}, 2, coding));
    EXPECT_FALSE(CVexaCoder::Create({8, 16}, {1, 2}, 2, coding));
    EXPECT_FALSE(CVexaCoder::Create({8, 16}, {}, 0, coding));
    EXPECT_FALSE(CVexaCoder::Create(0, coding));
    const auto coder = CVexaCoder::Create({8, 16}, {1, 1}, 2, coding);
    ASSERT_TRUE(coder);
    EXPECT_EQ(coder->GetPcmBuffer().size(), 32u);
    EXPECT_EQ(coder->GetFrameBuffer(0).size(), 16u);
    EXPECT_EQ(coder->GetFrameBuffer(1).size(), 16u);
    EXPECT_TRUE(coder->GetFrameBuffer(2).empty());
    EXPECT_FALSE(coder->Encode(2));
    EXPECT_FALSE(coder->Decode(2));
}

// What the card streams do: fill the PCM buffer, encode every channel into its frame buffer,
// and on the way back decode every frame buffer into the PCM buffer.
TEST(VexaCoder, StereoFramesRoundTripThroughTheBuffers) {
    for (int n : {4, 8}) {
        SCOPED_TRACE(n);
        const auto writer = CVexaCoder::Create(2, CVexaCoding::Create(n));
        const auto reader = CVexaCoder::Create(2, CVexaCoding::Create(n));
        auto encoder = CVexaCoding::Create(n);
        auto decoder = CVexaCoding::Create(n);
        ASSERT_TRUE(writer && reader);
        EXPECT_EQ(writer->GetFrameBytes(), static_cast<std::size_t>(2 * n));
        const auto frames = SomeFrames(40, 99);
        for (std::size_t f = 0; f + 1 < frames.size(); f += 2) {
            auto pcm = writer->GetPcmBuffer();
            for (std::size_t i = 0; i < 16; ++i) {
                pcm[2 * i] = frames[f][i];
                pcm[2 * i + 1] = frames[f + 1][i];
            }
            for (std::size_t c = 0; c < 2; ++c) {
                ASSERT_TRUE(writer->Encode(c));
                const auto out = writer->GetFrameBuffer(c);
                const auto in = reader->GetFrameBuffer(c);
                std::copy(out.begin(), out.end(), in.begin());
                ASSERT_TRUE(reader->Decode(c));
            }
            // The same frames coded one channel at a time straight through codings.
            std::vector<std::int16_t> expected(32);
            std::vector<std::uint8_t> bytes(static_cast<std::size_t>(2 * n));
            for (std::size_t c = 0; c < 2; ++c) {
                ASSERT_TRUE(encoder->Encode(writer->GetPcmBuffer(), 2, c, bytes));
                const auto coded = writer->GetFrameBuffer(c);
                EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), coded.begin(), coded.end()));
                ASSERT_TRUE(decoder->Decode(bytes, expected, 2, c));
            }
            const auto got = reader->GetPcmBuffer();
            EXPECT_EQ(std::vector<std::int16_t>(got.begin(), got.end()), expected);
        }
    }
}

} // namespace
