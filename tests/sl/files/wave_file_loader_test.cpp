#include "sl/files/wave_file_loader.h"
#include "tests/sl/files/chunk_bytes.h"
#include "tests/sl/files/temporary_directory.h"

#include <gtest/gtest.h>

#include <sstream>

namespace SL {
namespace {

using namespace TestBytes;

CLoadedWave Load(const std::string& bytes) {
    std::istringstream input(bytes);
    return LoadWave(input);
}

std::string Sampler(std::uint32_t type, std::uint32_t playCount) {
    return LeChunk("smpl", Le32(0) + Le32(0) + Le32(22675) + Le32(64) + Le32(0x80000000) + Le32(0) +
                               Le32(0) + Le32(1) + Le32(0) + Le32(0) + Le32(type) + Le32(100) +
                               Le32(799) + Le32(0) + Le32(playCount));
}

TEST(WaveFileLoader, StereoWaveBecomesNullChannelsOfItsLength) {
    const CLoadedWave loaded = Load(
        Riff(LeChunk("fmt ", FormatBody(1, 2, 44100, 16)) + LeChunk("data", std::string(4000, 1))));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded.fileFormat, CWaveFileFormat::WINWAVE);
    const IWave& wave = *loaded.wave;
    EXPECT_EQ(wave.GetSourceBitDepth(), CBitDepth::INTEGER16);
    EXPECT_EQ(wave.GetSampleRate(), 44100.0);
    EXPECT_EQ(wave.GetLength(), 1000);
    ASSERT_EQ(wave.GetChannels()->GetChannelCount(), 2u);
    EXPECT_TRUE(wave.GetChannels()->GetChannel(0)->IsNull());
    EXPECT_TRUE(wave.GetChannels()->IsStereoPair());
    EXPECT_EQ(wave.GetChannels()->GetLength(), 1000);
    // Without "smpl" the loop covers the whole sound, played once.
    EXPECT_EQ(wave.GetLoop()->GetPoint0(), 0);
    EXPECT_EQ(wave.GetLoop()->GetPoint3(), 999);
    EXPECT_EQ(wave.GetLoop()->GetLoopMode(), CLoopMode::ONE_SHOT);
}

TEST(WaveFileLoader, SamplerLoopSetsPointsModeAndPitch) {
    struct Case {
        std::uint32_t type, playCount;
        CLoopMode mode;
    } cases[] = {{0, 1, CLoopMode::ONE_SHOT},      {0, 0, CLoopMode::FWD},
                 {1, 0, CLoopMode::ALT_PLUS_PLUS}, {2, 1, CLoopMode::ONE_SHOT_R},
                 {2, 5, CLoopMode::FWD_R},         {7, 0, CLoopMode::ONE_SHOT}};
    for (const Case& c : cases) {
        const CLoadedWave loaded =
            Load(Riff(LeChunk("fmt ", FormatBody(1, 1, 44100, 16)) + Sampler(c.type, c.playCount) +
                      LeChunk("data", std::string(2000, 0))));
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded.wave->GetLoop()->GetLoopMode(), c.mode) << c.type << "/" << c.playCount;
        EXPECT_EQ(loaded.wave->GetLoop()->GetPoint2(), 100);
        EXPECT_EQ(loaded.wave->GetLoop()->GetPoint3(), 799);
        EXPECT_NEAR(loaded.wave->GetPitch()[2], 64.5, 1e-9);
    }
}

TEST(WaveFileLoader, FilesThatDescribeNoSoundGiveNoWave) {
    const std::string data = LeChunk("data", std::string(16, 0));
    EXPECT_FALSE(Load(Riff(LeChunk("fmt ", FormatBody(3, 1, 44100, 8)) + data)));
    EXPECT_FALSE(Load(Riff(LeChunk("fmt ", FormatBody(1, 1, 44100, 16)))));
    EXPECT_FALSE(Load(Riff(LeChunk("fmt ", FormatBody(1, 0, 44100, 16)) + data)));
    EXPECT_FALSE(Load(Riff(LeChunk("fmt ", FormatBody(0x11, 1, 44100, 4)) + data)));
    EXPECT_FALSE(Load(Riff(data)));
    EXPECT_FALSE(Load("RIFF"));
    EXPECT_FALSE(LoadWaveFile("/nonexistent/file.wav"));
}

TEST(WaveFileLoader, AiffInstrumentLoopAndMarkers) {
    const std::string marks = BeChunk("MARK", Be16(2) + Be16(1) + Be32(10) +
                                                  "\x01"
                                                  "a" +
                                                  Be16(2) + Be32(50) +
                                                  "\x01"
                                                  "b");
    for (int playMode : {0, 1, 2, 3}) {
        const std::string instrument =
            BeChunk("INST", std::string("\x3C\x0A\x00\x7F\x01\x7F", 6) + Be16(0) + Be16(playMode) +
                                Be16(1) + Be16(2) + Be16(0) + Be16(0) + Be16(0));
        const CLoadedWave loaded =
            Load(Form(BeChunk("COMM", CommonBody(1, 0, 16, Rate44100)) + marks + instrument +
                      BeChunk("SSND", Be32(0) + Be32(0) + std::string(200, 0))));
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded.fileFormat, CWaveFileFormat::AIFF);
        EXPECT_EQ(loaded.wave->GetLength(), 100);
        const CLoopMode expected[] = {CLoopMode::ONE_SHOT, CLoopMode::FWD, CLoopMode::ALT_PLUS_PLUS,
                                      CLoopMode::ONE_SHOT};
        EXPECT_EQ(loaded.wave->GetLoop()->GetLoopMode(), expected[playMode]);
        EXPECT_EQ(loaded.wave->GetLoop()->GetPoint2(), 10);
        EXPECT_EQ(loaded.wave->GetLoop()->GetPoint3(), 49);
        EXPECT_NEAR(loaded.wave->GetPitch()[2], 60.1, 1e-9);
    }
}

TEST(WaveFileLoader, LoadedPayloadIsDecodedIntoTypedChannels) {
    CRiffWaveDto dto(
        std::make_shared<CRiffWaveFileChunks::CRiffWaveChunk::CDefaultChunkFactory>(true));
    std::istringstream input(
        Riff(LeChunk("fmt ", FormatBody(1, 2, 8000, 16)) +
             LeChunk("data", Le16(32767) + Le16(0x8001) + Le16(0) + Le16(16384))));
    ASSERT_TRUE(dto.Read(input));
    const auto wave = ConvertToWave(dto);
    ASSERT_TRUE(wave);
    auto channels =
        std::dynamic_pointer_cast<CTypedChannelCollection<0x20040>>(wave->GetChannels());
    ASSERT_TRUE(channels);
    EXPECT_EQ(channels->GetTypedChannel(0)->GetBuffer().GetSamples(),
              (std::vector<double>{1.0, 0.0}));
    EXPECT_EQ(channels->GetTypedChannel(1)->GetBuffer().GetSamples(),
              (std::vector<double>{-1.0, 16384 / 32767.0}));
}

TEST(WaveFileLoader, LoadsFromAFileWhateverItsName) {
    TestFiles::CTemporaryDirectory directory;
    const std::string path = directory.File("really_a_wave.aif");
    TestFiles::WriteFile(
        path, Riff(LeChunk("fmt ", FormatBody(1, 1, 22050, 8)) + LeChunk("data", "abc")));
    const CLoadedWave loaded = LoadWaveFile(path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded.fileFormat, CWaveFileFormat::WINWAVE);
    EXPECT_EQ(loaded.wave->GetLength(), 3);
    EXPECT_EQ(loaded.wave->GetChannels()->GetChannel(0)->GetPlacement(), 0);
}

} // namespace
} // namespace SL
