#include "platform/wave_out_backend.h"
#include "platform/wave_out_format.h"

#include <gtest/gtest.h>

namespace {

using SL::CWaveOutBackend;

TEST(WaveOutBackendTest, ChoiceSelectsTheKindAndTheMapper) {
    EXPECT_EQ(CWaveOutBackend::Kind::Alsa, CWaveOutBackend::Parse("").GetKind());
    EXPECT_EQ("default", CWaveOutBackend::Parse("alsa").GetMapperName());
    EXPECT_EQ("hw:1,0", CWaveOutBackend::Parse("alsa:hw:1,0").GetMapperName());
    EXPECT_EQ(CWaveOutBackend::Kind::Null, CWaveOutBackend::Parse("null").GetKind());
    const auto wav = CWaveOutBackend::Parse("wav:/tmp/a b.wav");
    EXPECT_EQ(CWaveOutBackend::Kind::Wav, wav.GetKind());
    EXPECT_EQ("default", wav.GetMapperName());
    ASSERT_EQ(1u, wav.GetDeviceNames().size());
}

TEST(WaveOutBackendTest, UnknownChoiceOffersNoDevice) {
    for (const char* choice : {"pulse", "wav:", "alsa:", "NULL"}) {
        const auto backend = CWaveOutBackend::Parse(choice);
        EXPECT_EQ(CWaveOutBackend::Kind::None, backend.GetKind()) << choice;
        EXPECT_TRUE(backend.GetDeviceNames().empty());
        EXPECT_EQ(nullptr, backend.CreateSink(-1));
    }
}

TEST(WaveOutBackendTest, DeviceIdsOutsideTheListMakeNoSink) {
    const auto backend = CWaveOutBackend::Parse("null");
    EXPECT_NE(nullptr, backend.CreateSink(-1));
    EXPECT_NE(nullptr, backend.CreateSink(0));
    EXPECT_EQ(nullptr, backend.CreateSink(1));
    EXPECT_EQ(nullptr, backend.CreateSink(-2));
}

SL::CWaveOutFormat Format(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                          std::uint16_t bits) {
    SL::CWaveOutFormat format;
    format.formatTag = tag;
    format.channels = channels;
    format.samplesPerSecond = rate;
    format.bitsPerSample = bits;
    format.blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
    format.averageBytesPerSecond = rate * format.blockAlign;
    return format;
}

TEST(WaveOutFormatTest, AcceptsTheSampleTypesOfTheProgramOnly) {
    EXPECT_TRUE(Format(1, 2, 44100, 16).IsPlayable());
    EXPECT_TRUE(Format(1, 1, 44100, 24).IsPlayable());
    EXPECT_TRUE(Format(3, 2, 48000, 64).IsPlayable());
    EXPECT_FALSE(Format(1, 2, 44100, 12).IsPlayable());
    EXPECT_FALSE(Format(3, 2, 44100, 16).IsPlayable());
    EXPECT_FALSE(Format(2, 2, 44100, 16).IsPlayable());
    EXPECT_FALSE(Format(1, 0, 44100, 16).IsPlayable());
    EXPECT_FALSE(Format(1, 2, 0, 16).IsPlayable());
    auto inconsistent = Format(1, 2, 44100, 16);
    inconsistent.blockAlign = 2;
    EXPECT_FALSE(inconsistent.IsPlayable());
}

} // namespace
