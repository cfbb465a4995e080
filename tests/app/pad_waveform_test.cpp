// The waveforms the desktop program draws: known signals give known columns, from WAV files and
// from the card's coded channel files (stereo, lo-fi at its played length); the cache reads on
// its worker thread, keeps what it read while the card stays the same and forgets it when the
// card changes.

#include "app/pad_waveform.h"
#include "app/pad_waveform_cache.h"
#include "app/waveform_worker.h"
#include "tests/support/card_command_fixture.h"
#include "tests/support/required_program.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace ZQ3::Fixture {
namespace {

constexpr std::int16_t Peak = 20000;
constexpr float PeakScaled = Peak / 32768.0f;

// A square wave of period frames, high first.
std::int16_t Square(std::uint32_t frame, std::uint32_t period) {
    return frame % period < period / 2 ? Peak : static_cast<std::int16_t>(-Peak);
}

// What a display must show of interleaved samples: the lowest and highest value of the frames
// whose f × columns / frames is the column, worked out frame by frame here.
std::vector<SL::CWaveform::Column> ExpectedColumns(const Samples& samples, int channels,
                                                   int channel, int columns) {
    const auto frames = static_cast<std::int64_t>(samples.size()) / channels;
    std::vector<SL::CWaveform::Column> expected(static_cast<std::size_t>(columns));
    std::vector<bool> seen(static_cast<std::size_t>(columns), false);
    for (std::int64_t frame = 0; frame < frames; ++frame) {
        const auto column = static_cast<std::size_t>(frame * columns / frames);
        const float value =
            static_cast<float>(samples[static_cast<std::size_t>(frame * channels + channel)]) /
            32768.0f;
        if (!seen[column]) {
            expected[column] = {value, value};
            seen[column] = true;
        }
        expected[column].min = std::min(expected[column].min, value);
        expected[column].max = std::max(expected[column].max, value);
    }
    return expected;
}

std::vector<SL::CWaveform::Column> ColumnsOf(const SL::CWaveform& waveform, int channel) {
    std::vector<SL::CWaveform::Column> columns;
    for (int index = 0; index < waveform.columnCount(); ++index) {
        columns.push_back(waveform.column(channel, index));
    }
    return columns;
}

const std::atomic<bool> NotCancelled{false};

TEST(FileWaveform, SquareThenSilenceGivesFullColumnsThenFlatOnes) {
    TemporaryDirectory directory;
    const std::string path = directory / "square.wav";
    // Ten columns of one period each: five of the square wave, five of silence.
    WriteWav(path, 44100, 1, 16, 4410,
             [](std::uint32_t frame, int) { return frame < 2205 ? Square(frame, 441) : 0; });
    const auto waveform = ReadFileWaveform(path, 10, NotCancelled);
    ASSERT_TRUE(waveform);
    EXPECT_EQ(waveform->channelCount(), 1);
    EXPECT_EQ(waveform->frameCount(), 4410);
    for (int column = 0; column < 10; ++column) {
        const SL::CWaveform::Column expected =
            column < 5 ? SL::CWaveform::Column{-PeakScaled, PeakScaled} : SL::CWaveform::Column{};
        EXPECT_EQ(waveform->column(0, column), expected) << "column " << column;
    }
}

TEST(FileWaveform, StereoWithOneSilentChannelAndWiderSampleTypes) {
    TemporaryDirectory directory;
    // The same sound as 16 and 24 bits: the right channel silent, the left a square wave.
    for (const int bits : {16, 24}) {
        const std::string path = directory / ("stereo" + std::to_string(bits) + ".wav");
        const std::int32_t scale = bits == 24 ? 256 : 1;
        WriteWav(path, 48000, 2, bits, 3000, [scale](std::uint32_t frame, int channel) {
            return channel == 0 ? Square(frame, 100) * scale : 0;
        });
        const auto waveform = ReadFileWaveform(path, 30, NotCancelled);
        ASSERT_TRUE(waveform) << bits;
        ASSERT_EQ(waveform->channelCount(), 2);
        EXPECT_EQ(waveform->sampleRate(), 48000.0);
        for (int column = 0; column < 30; ++column) {
            EXPECT_EQ(waveform->column(0, column), (SL::CWaveform::Column{-PeakScaled, PeakScaled}))
                << bits << " bits, column " << column;
            EXPECT_EQ(waveform->column(1, column), SL::CWaveform::Column{})
                << bits << " bits, column " << column;
        }
    }
}

TEST(FileWaveform, FilesOnlyLibsndfileReadsAndFilesThatAreNoSound) {
    TemporaryDirectory directory;
    const std::string wav = directory / "square.wav";
    WriteWav(wav, 44100, 1, 16, 4410, [](std::uint32_t frame, int) { return Square(frame, 441); });
    const std::string flac = directory / "square.flac";
    ZQ3_REQUIRE_PROGRAM("sox", "sox");
    if (std::system(("sox -q '" + wav + "' '" + flac + "'").c_str()) != 0) {
        GTEST_SKIP() << "sox cannot write FLAC here";
    }
    const auto waveform = ReadFileWaveform(flac, 10, NotCancelled);
    ASSERT_TRUE(waveform);
    for (int column = 0; column < 10; ++column) {
        EXPECT_EQ(waveform->column(0, column), (SL::CWaveform::Column{-PeakScaled, PeakScaled}));
    }
    const std::string text = directory / "notes.wav";
    std::ofstream(text) << "not a sound at all";
    EXPECT_FALSE(ReadFileWaveform(text, 10, NotCancelled));
}

TEST(Waveform, ASoundShorterThanTheColumnsFillsEveryColumn) {
    // Three frames over eight columns: frame f starts in column f × 8 / 3 (0, 2 and 5), and the
    // columns between them repeat the frame before, so none is left empty.
    SL::CWaveformBuilder builder(1, 8, 3);
    for (const float value : {0.5f, -0.25f, 0.75f}) {
        builder.Add(value);
    }
    const SL::CWaveform waveform = builder.Finish();
    const float shown[] = {0.5f, 0.5f, -0.25f, -0.25f, -0.25f, 0.75f, 0.75f, 0.75f};
    for (int column = 0; column < 8; ++column) {
        EXPECT_EQ(waveform.column(0, column), (SL::CWaveform::Column{shown[column], shown[column]}))
            << "column " << column;
    }
}

class PadWaveformTest : public CardCommandTest {};

TEST_F(PadWaveformTest, AStereoPadWithASilentRightChannelShowsBothLanes) {
    LoadEmptyCard(0, 5);
    // Whole 16-frame blocks, as the card keeps them, in 48 columns of one period each.
    const std::uint32_t frames = 23520;
    Samples samples;
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        samples.push_back(Square(frame, 490));
        samples.push_back(0);
    }
    const std::string source = directory / "stereo.wav";
    WriteSamplesFile(source, samples, 2, CardLayout::FileFormatWave);
    ASSERT_EQ(controller().importFile(source), CommandOutcome::Succeeded);

    const auto sound = PadSound::Of(*domain.model, 5);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->channelFiles.size(), 2u);
    const auto waveform = ReadPadWaveform(*sound, 48, NotCancelled);
    ASSERT_TRUE(waveform);
    EXPECT_EQ(waveform->frameCount(), frames);
    // The card stores the sound coded; the columns are those of what the codec gives back.
    const Samples decoded = CodecReconstruction(samples, 2);
    const Samples played(decoded.begin(),
                         decoded.begin() + static_cast<std::ptrdiff_t>(2 * frames));
    EXPECT_EQ(ColumnsOf(*waveform, 0), ExpectedColumns(played, 2, 0, 48));
    for (int column = 0; column < 48; ++column) {
        EXPECT_EQ(waveform->column(1, column), SL::CWaveform::Column{}) << "column " << column;
        EXPECT_GT(waveform->column(0, column).max - waveform->column(0, column).min, 1.0f);
    }
    // An empty pad has no sound to read.
    EXPECT_FALSE(PadSound::Of(*domain.model, 6));
}

TEST_F(PadWaveformTest, ALofiPadShowsItsHeldSoundOverItsPlayedLength) {
    // Short spikes between the held frames: the hold plays none of them.
    const std::uint32_t played = 8000;
    Samples samples;
    for (std::uint32_t frame = 0; frame < played; ++frame) {
        samples.push_back(
            static_cast<std::int16_t>(frame % 4 == 2 && frame % 400 < 200 ? 16000 : 500));
    }
    std::vector<SampleEntry> entries(CardLayout::SlotCount);
    SampleEntry& entry = entries[static_cast<std::size_t>(CardLayout::Slot(0, 3))];
    entry.frameCount = static_cast<std::int32_t>(played / 2);
    entry.lofi = 1;
    LoadCard(entries, 0, 3);
    WriteChannelFiles({LeftFile(3)}, samples, 4);

    const auto sound = PadSound::Of(*domain.model, 3);
    ASSERT_TRUE(sound);
    EXPECT_TRUE(sound->lofi);
    EXPECT_EQ(sound->playedLength, played);
    const auto waveform = ReadPadWaveform(*sound, 20, NotCancelled);
    ASSERT_TRUE(waveform);
    EXPECT_EQ(waveform->frameCount(), played);
    const Samples decoded = CodecReconstruction(samples, 1, 4);
    Samples held(played);
    for (std::uint32_t frame = 0; frame < played; ++frame) {
        held[frame] = decoded[frame / 4 * 4];
    }
    const Samples unheld(decoded.begin(), decoded.begin() + static_cast<std::ptrdiff_t>(played));
    EXPECT_EQ(ColumnsOf(*waveform, 0), ExpectedColumns(held, 1, 0, 20));
    ASSERT_NE(ExpectedColumns(held, 1, 0, 20), ExpectedColumns(unheld, 1, 0, 20))
        << "the signal does not tell a held sound from the stored one";
}

TEST_F(PadWaveformTest, ACardThatCannotBeReadGivesNoWaveform) {
    LoadEmptyCard(0, 5);
    PutSample(5, 1, 4410);
    std::filesystem::resize_file(LeftFile(5), 100);
    const auto sound = PadSound::Of(*domain.model, 5);
    ASSERT_TRUE(sound);
    EXPECT_FALSE(ReadPadWaveform(*sound, 20, NotCancelled));
}

// The cache and its worker thread; run under ThreadSanitizer.
class PadWaveformCacheTest : public CardCommandTest {
protected:
    // Asks until the cache has the outline, as the desktop view does when told it is ready.
    std::shared_ptr<const SL::CWaveform> WaitFor(CPadWaveformCache& cache, int pad) {
        std::shared_ptr<const SL::CWaveform> waveform;
        WaitUntil([&] {
            waveform = cache.waveformOf(domain.model, pad);
            return waveform != nullptr;
        });
        return waveform;
    }

    std::atomic<int> ready{0};
};

TEST_F(PadWaveformCacheTest, KeepsWhatItReadUntilTheCardChanges) {
    LoadEmptyCard(0, 5);
    PutSample(5, 2, 13230, 1);
    CPadWaveformCache cache(64, [this] { ++ready; });

    // Read on the worker: nothing at first, then the outline, told once.
    EXPECT_EQ(cache.waveformOf(domain.model, 5), nullptr);
    const auto first = WaitFor(cache, 5);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->channelCount(), 2);
    EXPECT_EQ(first->columnCount(), 64);
    EXPECT_TRUE(WaitUntil([this] { return ready.load() == 1; }));
    // An empty pad starts no reading.
    EXPECT_EQ(cache.waveformOf(domain.model, 6), nullptr);

    // Selecting pads and banks keeps the card: the same outline, not read again.
    ASSERT_TRUE(controller().selectPad(2));
    ASSERT_TRUE(controller().selectBank(1));
    ASSERT_TRUE(controller().selectBank(0));
    EXPECT_EQ(cache.waveformOf(domain.model, 5), first);
    EXPECT_EQ(cache.size(), 1u);
    EXPECT_EQ(ready.load(), 1);

    // Another sample on the pad is a change of the card: the old outline is gone at once.
    PutSample(5, 1, 22400, 2);
    EXPECT_EQ(cache.waveformOf(domain.model, 5), nullptr);
    EXPECT_EQ(cache.size(), 0u);
    const auto second = WaitFor(cache, 5);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->channelCount(), 1);
    EXPECT_EQ(second->frameCount(), 22400);

    // So is the card loaded again, though it holds the same.
    ASSERT_TRUE(controller().selectDrive(root, 0));
    EXPECT_EQ(cache.waveformOf(domain.model, 5), nullptr);
    EXPECT_NE(WaitFor(cache, 5), second);
}

TEST_F(PadWaveformCacheTest, AnUnreadablePadIsReadOnceAndAGoingCacheStopsItsWorker) {
    LoadEmptyCard(0, 5);
    PutSample(5, 1, 4410);
    PutSample(7, 2, 44100 * 5);
    std::filesystem::resize_file(LeftFile(5), 64);
    CPadWaveformCache cache(100, [this] { ++ready; });
    EXPECT_EQ(cache.waveformOf(domain.model, 5), nullptr);
    const auto unreadable = WaitFor(cache, 5);
    ASSERT_TRUE(unreadable);
    EXPECT_TRUE(unreadable->empty());
    EXPECT_EQ(cache.waveformOf(domain.model, 5), unreadable);
    {
        // A long read under way when its cache goes is stopped and waited for.
        CPadWaveformCache going(100, [this] { ++ready; });
        EXPECT_EQ(going.waveformOf(domain.model, 7), nullptr);
    }
}

TEST(WaveformWorker, ANewJobStopsTheRunningOneAndReplacesTheWaitingOne) {
    CWaveformWorker worker;
    std::atomic<bool> started{false};
    std::atomic<bool> release{false};
    std::atomic<bool> sawCancel{false};
    std::atomic<int> secondRuns{0};
    std::atomic<int> thirdRuns{0};
    // The first job keeps the worker busy until the test lets it go.
    worker.submit([&](const std::atomic<bool>& cancelled) {
        started = true;
        while (!release.load()) {
            std::this_thread::yield();
        }
        sawCancel = cancelled.load();
    });
    ASSERT_TRUE(WaitUntil([&] { return started.load(); }));
    worker.submit([&](const std::atomic<bool>&) { ++secondRuns; });
    worker.submit([&](const std::atomic<bool>& cancelled) {
        // A cancel meant for the job before never reaches this one.
        if (!cancelled.load()) {
            ++thirdRuns;
        }
    });
    release = true;
    ASSERT_TRUE(WaitUntil([&] { return thirdRuns.load() == 1; }));
    EXPECT_TRUE(sawCancel.load());
    EXPECT_EQ(secondRuns.load(), 0);
}

} // namespace
} // namespace ZQ3::Fixture
