#include "sl/files/wave_file_loader.h"
#include "tests/sl/files/chunk_bytes.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <sys/stat.h>

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

TEST(WaveFileLoader, FilesThatDescribeNoSoundSayWhy) {
    using CReason = CWaveLoadProblem::CReason;
    const std::string data = LeChunk("data", std::string(16, 0));
    const std::string pcm = Riff(LeChunk("fmt ", FormatBody(1, 1, 44100, 16)) + data);
    const std::string ssnd = BeChunk("SSND", Be32(0) + Be32(0) + std::string(16, 0));
    // A sub-format identifier naming tag 0x0055 inside the extensible format.
    const std::string extensible =
        Le16(0xFFFE) + Le16(1) + Le32(44100) + Le32(88200) + Le16(2) + Le16(16) + Le16(22) +
        Le16(16) + Le32(4) + Le16(0x0055) +
        std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    struct Case {
        const char* name;
        std::string bytes;
        CReason reason;
        unsigned formatTag;
        int bits;
        bool floatingPoint;
    } cases[] = {
        {"random bytes", std::string("\x13\x99\x00\x7Fnot audio at all", 20),
         CReason::NotWaveOrAiff, 0, 0, false},
        {"RIFF of another form", "RIFF" + Le32(4) + "AVI ", CReason::NotWaveOrAiff, 0, 0, false},
        {"header cut short", "RIFF", CReason::Truncated, 0, 0, false},
        {"data cut short", pcm.substr(0, pcm.size() - 6), CReason::Truncated, 0, 0, false},
        {"ADPCM", Riff(LeChunk("fmt ", FormatBody(0x11, 1, 44100, 4)) + data),
         CReason::UnsupportedFormatTag, 0x11, 0, false},
        {"extensible ADPCM", Riff(LeChunk("fmt ", extensible) + data),
         CReason::UnsupportedFormatTag, 0x55, 0, false},
        {"12-bit integer", Riff(LeChunk("fmt ", FormatBody(1, 1, 44100, 12)) + data),
         CReason::UnsupportedSampleFormat, 1, 12, false},
        {"8-bit float", Riff(LeChunk("fmt ", FormatBody(3, 1, 44100, 8)) + data),
         CReason::UnsupportedSampleFormat, 3, 8, true},
        {"65535-bit integer", Riff(LeChunk("fmt ", FormatBody(1, 1, 44100, 0xFFFF)) + data),
         CReason::UnsupportedSampleFormat, 1, 0xFFFF, false},
        {"AIFF of 12 bits", Form(BeChunk("COMM", CommonBody(1, 0, 12, Rate44100)) + ssnd),
         CReason::UnsupportedSampleFormat, 0, 12, false},
        {"AIFF of a negative size",
         Form(BeChunk("COMM", CommonBody(1, 0, 0xFFF0, Rate44100)) + ssnd),
         CReason::UnsupportedSampleFormat, 0, -16, false},
        {"no data chunk", Riff(LeChunk("fmt ", FormatBody(1, 1, 44100, 16))), CReason::Damaged, 0,
         0, false},
        {"no channels", Riff(LeChunk("fmt ", FormatBody(1, 0, 44100, 16)) + data), CReason::Damaged,
         0, 0, false},
        {"no format chunk", Riff(data), CReason::Damaged, 0, 0, false},
        {"AIFF without sound", Form(BeChunk("COMM", CommonBody(1, 0, 16, Rate44100))),
         CReason::Damaged, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CLoadedWave loaded;
        EXPECT_NO_THROW(loaded = Load(c.bytes));
        EXPECT_FALSE(loaded);
        EXPECT_EQ(loaded.problem.reason, c.reason);
        if (c.reason == CReason::UnsupportedFormatTag ||
            c.reason == CReason::UnsupportedSampleFormat) {
            EXPECT_EQ(loaded.problem.formatTag, c.formatTag);
            EXPECT_EQ(loaded.problem.bitsPerSample, c.bits);
            EXPECT_EQ(loaded.problem.floatingPoint, c.floatingPoint);
        }
    }
    EXPECT_EQ(Load(pcm).problem.reason, CReason::None);
}

TEST(WaveFileLoader, NamesThatAreNoReadableFileSayWhy) {
    using CReason = CWaveLoadProblem::CReason;
    ZQ3::Fixture::TemporaryDirectory directory;
    const std::string fifo = (directory / "pipe.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = (directory / "folder.wav");
    std::filesystem::create_directory(folder);
    ZQ3::Fixture::WriteFileBytes((directory / "plain"), "x");
    const struct {
        std::string path;
        CReason reason;
        CFileKind kind;
    } cases[] = {
        {(directory / "missing.wav"), CReason::NoSuchFile, CFileKind::Regular},
        {(directory / "plain/below.wav"), CReason::NoSuchFile, CFileKind::Regular},
        {folder, CReason::NotRegularFile, CFileKind::Directory},
        {fifo, CReason::NotRegularFile, CFileKind::Fifo},
        {"/dev/null", CReason::NotRegularFile, CFileKind::CharacterDevice},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const CLoadedWave loaded = LoadWaveFile(c.path);
        EXPECT_FALSE(loaded);
        EXPECT_EQ(loaded.problem.reason, c.reason);
        EXPECT_EQ(loaded.problem.fileKind, c.kind);
    }
}

TEST(WaveFileLoader, AiffInstrumentLoopAndMarkers) {
    const std::string marks = BeChunk("MARK", Be16(2) + Be16(1) + Be32(10) +
                                                  "\x01"
                                                  "a" +
                                                  Be16(2) + Be32(50) +
                                                  "\x01"
                                                  "b");
    for (std::uint32_t playMode : {0u, 1u, 2u, 3u}) {
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
    ZQ3::Fixture::TemporaryDirectory directory;
    const std::string path = (directory / "really_a_wave.aif");
    ZQ3::Fixture::WriteFileBytes(
        path, Riff(LeChunk("fmt ", FormatBody(1, 1, 22050, 8)) + LeChunk("data", "abc")));
    const CLoadedWave loaded = LoadWaveFile(path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded.fileFormat, CWaveFileFormat::WINWAVE);
    EXPECT_EQ(loaded.wave->GetLength(), 3);
    EXPECT_EQ(loaded.wave->GetChannels()->GetChannel(0)->GetPlacement(), 0);
}

} // namespace
} // namespace SL
