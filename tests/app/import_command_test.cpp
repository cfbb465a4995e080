// The import command end to end on a card folder: what it accepts and refuses, what it writes
// on the card and in the model, its progress, and that Cancel at any point leaves the card as it
// was.

#include "app/import_command.h"
#include "card/tempo.h"
#include "sl/files/wave_file_loader.h"
#include "tests/support/card_command_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace ZQ3 {
namespace {

using Fixture::Samples;

class ImportCommandTest : public Fixture::CardCommandTest {
protected:
    std::string Source(int channels, std::uint32_t frames, int fileFormat = 2) {
        const std::string path = directory / (fileFormat == 2 ? "in.wav" : "in.aiff");
        Fixture::WriteSamplesFile(path, Fixture::TestSignal(channels, frames), channels,
                                  fileFormat);
        return path;
    }
    std::uintmax_t SizeOf(const std::string& path) const {
        return std::filesystem::file_size(path);
    }
    // The card files of the selected pad's slot, decoded at its recorded length.
    Samples CardSamples(int pad) const {
        const SampleEntry& entry = domain.model->entryOf(pad);
        std::vector<std::string> files{LeftFile(pad)};
        if (entry.stereo) {
            files.push_back(RightFile(pad));
        }
        Samples samples;
        std::vector<std::shared_ptr<std::istream>> streams;
        for (const auto& file : files) {
            streams.push_back(std::make_shared<std::ifstream>(file, std::ios::binary));
        }
        SL::CVexaFileInputSampleIterator input(streams, 8, entry.frameCount);
        while (input.IsValid()) {
            samples.push_back(input.GetValue());
            input.Advance();
        }
        return samples;
    }
};

TEST_F(ImportCommandTest, PutsAStereoFileOnThePadAndRecordsIt) {
    LoadEmptyCard(2, 9);
    const std::uint32_t frames = 5000;
    const Samples signal = Fixture::TestSignal(2, frames);
    const std::string source = directory / "in.wav";
    Fixture::WriteSamplesFile(source, signal, 2, CardLayout::FileFormatWave);
    const auto before = domain.model;
    view.calls.clear();

    EXPECT_EQ(controller().importFile(source), CommandOutcome::Succeeded);

    EXPECT_TRUE(Texts().empty());
    EXPECT_NE(domain.model, before);
    const SampleEntry& entry = domain.model->entryOf(9);
    EXPECT_EQ(entry, CImportCommand::NewEntry(frames, 2));
    EXPECT_EQ(entry.frameCount, 5008);
    EXPECT_EQ(entry.rangeEnd, 5008);
    EXPECT_TRUE(entry.stereo);
    EXPECT_EQ(entry.option14, 1);
    EXPECT_EQ(entry.option17, 127);
    EXPECT_EQ(entry.tempo, static_cast<std::int32_t>(TempoForFrameCount(frames)));
    EXPECT_EQ(entry.tempo2, entry.tempo);
    // The card's information file says the same as the installed model.
    EXPECT_EQ(CardEntries(), domain.model->entries);
    EXPECT_EQ(domain.model->selectedPad, 9);

    EXPECT_EQ(SizeOf(LeftFile(9)), 5008u);
    EXPECT_EQ(SizeOf(RightFile(9)), 5008u);
    EXPECT_EQ(CardSamples(9), Fixture::CodecReconstruction(signal, 2));

    EXPECT_EQ(view.calls, (std::vector<std::string>{"bank", "pads", "import", "export", "delete"}));
    EXPECT_TRUE(Fixture::TemporaryLeftovers(CardDirectory()).empty());
    EXPECT_TRUE(Fixture::FileNames(temporaryDirectory).empty());
    // The information file ends up writable by its owner, and by nobody the umask keeps out.
    const auto perms = std::filesystem::status(CardLayout::InformationFilePath(root)).permissions();
    EXPECT_NE(perms & std::filesystem::perms::owner_write, std::filesystem::perms::none);
    EXPECT_EQ(perms & std::filesystem::perms::others_write, std::filesystem::perms::none);
}

TEST_F(ImportCommandTest, ShowsItsProgressThrottledAndEndsUncancellable) {
    LoadEmptyCard();
    const std::uint32_t frames = 40000;
    const std::string source = Source(2, frames);

    ASSERT_EQ(controller().importFile(source), CommandOutcome::Succeeded);

    EXPECT_EQ(progress->beginCount(), 1);
    EXPECT_EQ(progress->endCount(), 1);
    EXPECT_FALSE(progress->isShown());
    EXPECT_EQ(progress->getTitle(), "Importing...");
    EXPECT_EQ(progress->getText(), "Finalizing...");
    EXPECT_FALSE(progress->isCancellable());
    // One settle after the encoding and one after each copy.
    EXPECT_EQ(progress->settleCount(), 3);
    // The encoding moves 80000 samples: a few dozen updates, not one per sample.
    const std::int64_t samples = 2 * frames;
    EXPECT_LT(progress->positionCalls(), samples / 1000 + 2 * 1000);
    EXPECT_LT(progress->cancelQueries(), samples / 1000);
}

TEST_F(ImportCommandTest, TakesAnAiffFileAsWell) {
    LoadEmptyCard();
    const Samples signal = Fixture::TestSignal(1, 4000);
    const std::string source = directory / "in.aiff";
    Fixture::WriteSamplesFile(source, signal, 1, CardLayout::FileFormatAiff);

    ASSERT_EQ(controller().importFile(source), CommandOutcome::Succeeded);
    EXPECT_FALSE(domain.model->entryOf(5).stereo);
    EXPECT_EQ(CardSamples(5), Fixture::CodecReconstruction(signal, 1));
    EXPECT_FALSE(std::filesystem::exists(RightFile(5)));
}

TEST_F(ImportCommandTest, TheShortestFileAcceptedIsSeventyMilliseconds) {
    LoadEmptyCard();
    EXPECT_EQ(controller().importFile(Source(1, 3087)), CommandOutcome::Succeeded);
    EXPECT_EQ(domain.model->entryOf(5).frameCount, 3088);
    EXPECT_TRUE(Texts().empty());

    const std::string before = InformationBytes();
    NextProgress();
    EXPECT_EQ(controller().importFile(Source(1, 3086)), CommandOutcome::Failed);
    // Cut, not rounded: a file just short of the limit never reads as 70 ms.
    EXPECT_EQ(Texts(), (std::vector<std::string>{Line(
                           MessageWaveFileRefused,
                           "in.wav: 16-bit, 44100 Hz, mono, 69.9 ms. The card takes 16-bit, 44100 "
                           "Hz, mono or stereo, at least 70 ms.")}));
    EXPECT_EQ(progress->beginCount(), 0);
    EXPECT_EQ(InformationBytes(), before);
}

TEST_F(ImportCommandTest, StoresWholeCodecBlocksButTakesTheTempoFromTheSourceLength) {
    LoadEmptyCard();
    ASSERT_EQ(controller().importFile(Source(1, 3089)), CommandOutcome::Succeeded);
    const SampleEntry& entry = domain.model->entryOf(5);
    EXPECT_EQ(entry.frameCount, 3104);
    EXPECT_EQ(entry.rangeEnd, 3104);
    EXPECT_EQ(entry.tempo, 1070);
    EXPECT_EQ(entry.tempo2, 1070);
    // The stored length would have given another tempo.
    EXPECT_EQ(TempoForFrameCount(3104), 1065u);
    EXPECT_EQ(SizeOf(LeftFile(5)), 3104u);
}

struct RefusedFile {
    const char* name;
    std::uint32_t rate;
    int channels;
    int bits;
    std::uint32_t frames;
    // The conditions it misses, and how the refusal describes the file.
    unsigned missed;
    const char* shape;
};

class ImportRefusalTest : public ImportCommandTest,
                          public ::testing::WithParamInterface<RefusedFile> {};

TEST_P(ImportRefusalTest, RefusesBeforeAnyProgressAndLeavesTheCardAlone) {
    LoadEmptyCard();
    PutSample(5, 2, 4000);
    const std::string informationBefore = InformationBytes();
    const std::string leftBefore = Fixture::ReadFileBytes(LeftFile(5));
    const auto modelBefore = domain.model;
    const RefusedFile& file = GetParam();
    const std::string source = directory / "refused.wav";
    Fixture::WriteWav(source, file.rate, file.channels, file.bits, file.frames,
                      [](std::uint32_t frame, int channel) {
                          return static_cast<std::int32_t>(
                              (frame * 7 + static_cast<std::uint32_t>(channel) * 3) % 100);
                      });

    EXPECT_EQ(controller().importFile(source), CommandOutcome::Failed);

    const SL::CLoadedWave loaded = SL::LoadWaveFile(source);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(CImportCommand::CheckShape(*loaded.wave).missed, file.missed);
    EXPECT_EQ(Texts(), (std::vector<std::string>{Line(
                           MessageWaveFileRefused,
                           std::string("refused.wav: ") + file.shape +
                               ". The card takes 16-bit, 44100 Hz, mono or stereo, at least 70 "
                               "ms.")}));
    EXPECT_EQ(progress->beginCount(), 0);
    EXPECT_EQ(domain.model, modelBefore);
    EXPECT_EQ(InformationBytes(), informationBefore);
    EXPECT_EQ(Fixture::ReadFileBytes(LeftFile(5)), leftBefore);
    EXPECT_TRUE(Fixture::FileNames(temporaryDirectory).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ImportRefusalTest,
    ::testing::Values(RefusedFile{"HalfRate", 22050, 2, 16, 44100, WaveShape::CardSampleRate,
                                  "16-bit, 22050 Hz, stereo, 2.00 s"},
                      RefusedFile{"EightBit", 44100, 1, 8, 44100, WaveShape::SixteenBitInteger,
                                  "8-bit, 44100 Hz, mono, 1.00 s"},
                      RefusedFile{"TwentyFourBitAt48k", 48000, 2, 24, 57600,
                                  WaveShape::SixteenBitInteger | WaveShape::CardSampleRate,
                                  "24-bit, 48000 Hz, stereo, 1.20 s"},
                      RefusedFile{"ThreeChannels", 44100, 3, 16, 44100, WaveShape::OneOrTwoChannels,
                                  "16-bit, 44100 Hz, 3 channels, 1.00 s"},
                      RefusedFile{"SixtyMilliseconds", 44100, 2, 16, 2646, WaveShape::LongEnough,
                                  "16-bit, 44100 Hz, stereo, 60 ms"},
                      RefusedFile{"Empty", 44100, 1, 16, 0, WaveShape::LongEnough,
                                  "16-bit, 44100 Hz, mono, 0 ms"},
                      RefusedFile{"EverythingWrong", 8000, 4, 32, 400,
                                  WaveShape::SixteenBitInteger | WaveShape::CardSampleRate |
                                      WaveShape::OneOrTwoChannels | WaveShape::LongEnough,
                                  "32-bit, 8000 Hz, 4 channels, 50 ms"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(ImportCommandTest, RefusesWhatIsNoAudioFileAtAll) {
    LoadEmptyCard();
    const std::string text = directory / "notes.wav";
    Fixture::WriteFileBytes(text, "RIFF this is not really a wave file at all");
    EXPECT_EQ(controller().importFile(text), CommandOutcome::Failed);
    EXPECT_EQ(controller().importFile(directory / "missing.wav"), CommandOutcome::Failed);
    EXPECT_EQ(Texts(),
              (std::vector<std::string>{
                  Line(MessageWaveFileRefused, "notes.wav: this is not a WAV or AIFF file."),
                  Line(MessageWaveFileRefused, "missing.wav: there is no such file.")}));
    EXPECT_EQ(progress->beginCount(), 0);
}

TEST_F(ImportCommandTest, MonoOverStereoRemovesTheOldRightFile) {
    LoadEmptyCard();
    PutSample(5, 2, 6000);
    ASSERT_TRUE(std::filesystem::exists(RightFile(5)));

    ASSERT_EQ(controller().importFile(Source(1, 4000)), CommandOutcome::Succeeded);

    EXPECT_FALSE(domain.model->entryOf(5).stereo);
    EXPECT_FALSE(CardEntries()[CardLayout::Slot(1, 5)].stereo);
    EXPECT_TRUE(std::filesystem::exists(LeftFile(5)));
    EXPECT_FALSE(std::filesystem::exists(RightFile(5)));
    EXPECT_EQ(SizeOf(LeftFile(5)), 4000u);
}

TEST_F(ImportCommandTest, ReplacesOnlyTheSelectedSlot) {
    std::vector<SampleEntry> entries(CardLayout::SlotCount);
    // Values the converter does not interpret are carried as they are.
    entries[3].frameCount = 160;
    entries[3].option17 = 5;
    entries[3].flag16 = true;
    entries[100].option20 = 9;
    entries[100].tempo = 0;
    LoadCard(entries, 1, 5);

    ASSERT_EQ(controller().importFile(Source(2, 3500)), CommandOutcome::Succeeded);

    std::vector<SampleEntry> expected = entries;
    expected[CardLayout::Slot(1, 5)] = CImportCommand::NewEntry(3500, 2);
    EXPECT_EQ(CardEntries(), expected);
    EXPECT_EQ(domain.model->entries, expected);
}

TEST_F(ImportCommandTest, WithoutASelectedPadNothingHappens) {
    LoadEmptyCard();
    ASSERT_TRUE(controller().selectPad(-1));
    const std::string before = InformationBytes();
    EXPECT_EQ(controller().importFile(Source(1, 4000)), CommandOutcome::Failed);
    EXPECT_EQ(Texts(), Lines(MessageImportFailed));
    EXPECT_EQ(InformationBytes(), before);
    EXPECT_EQ(progress->beginCount(), 0);
}

TEST_F(ImportCommandTest, LinksPlantedAtWorkFileNamesAreNeverWrittenThrough) {
    LoadEmptyCard();
    const std::string victim = directory / "victim";
    Fixture::WriteFileBytes(victim, "precious");
    // The shared temporary folder and the card, as someone else might have prepared them.
    std::vector<std::string> planted;
    for (const char* name :
         {"___ZQ3_TEMPORARY_SAMPLE_FILE___", "___ZQ3_TEMPORARY_SAMPLE_FILE___0",
          "___ZQ3_TEMPORARY_SAMPLE_FILE___1", "___ZQ3_TEMPORARY_SAMPLE_INFORMATION_FILE___"}) {
        planted.push_back(temporaryDirectory + "/" + name);
        planted.push_back(CardDirectory() + name);
    }
    planted.push_back(CardDirectory() + "___ZQ3_JOURNAL___");
    for (const std::string& link : planted) {
        std::filesystem::create_symlink(victim, link);
    }

    EXPECT_EQ(controller().importFile(Source(2, 4000)), CommandOutcome::Succeeded);

    EXPECT_EQ(Fixture::ReadFileBytes(victim), "precious");
    EXPECT_EQ(CardEntries()[CardLayout::Slot(1, 5)].frameCount, 4000);
    // The card's own leftovers are cleared; the shared folder's links are not ours to remove.
    EXPECT_TRUE(Fixture::TemporaryLeftovers(CardDirectory()).empty());
    EXPECT_TRUE(std::filesystem::is_symlink(planted.front()));
}

TEST_F(ImportCommandTest, ATruncatedSourceIsRefusedWithoutTouchingTheCard) {
    LoadEmptyCard();
    PutSample(5, 1, 4000);
    const std::string informationBefore = InformationBytes();
    const std::string leftBefore = Fixture::ReadFileBytes(LeftFile(5));
    const std::string source = Source(2, 20000);
    // The header promises more samples than the file holds.
    std::filesystem::resize_file(source, std::filesystem::file_size(source) - 30000);

    EXPECT_EQ(controller().importFile(source), CommandOutcome::Failed);

    EXPECT_EQ(Texts(), (std::vector<std::string>{Line(
                           MessageWaveFileRefused, "in.wav: the file is cut short; it ends before "
                                                   "the sound data its header announces.")}));
    EXPECT_EQ(progress->beginCount(), 0);
    EXPECT_EQ(InformationBytes(), informationBefore);
    EXPECT_EQ(Fixture::ReadFileBytes(LeftFile(5)), leftBefore);
    EXPECT_TRUE(Fixture::TemporaryLeftovers(CardDirectory()).empty());
    EXPECT_TRUE(Fixture::FileNames(temporaryDirectory).empty());
}

// The file is read twice: once to check it and once to encode it. A file swapped in between is
// not encoded, and the reason says what happened to it.
TEST_F(ImportCommandTest, AFileThatChangesAfterItsCheckIsNotImported) {
    class CSwappingProgress : public UL::CSilentProgress {
    public:
        explicit CSwappingProgress(std::function<void()> swap) : swap_(std::move(swap)) {}
        void begin(std::int64_t range, const std::string& text, bool cancellable) override {
            swap_();
            CSilentProgress::begin(range, text, cancellable);
        }

    private:
        std::function<void()> swap_;
    };
    LoadEmptyCard();
    PutSample(5, 1, 4000);
    const std::string informationBefore = InformationBytes();
    const std::string source = Source(2, 20000);
    const std::string other = directory / "other.wav";
    Fixture::WriteSamplesFile(other, Fixture::TestSignal(1, 9000), 1, CardLayout::FileFormatWave);
    for (const bool removed : {false, true}) {
        SCOPED_TRACE(removed);
        progress = std::make_shared<CSwappingProgress>([&] {
            if (removed) {
                std::filesystem::remove(source);
            } else {
                std::filesystem::copy_file(other, source,
                                           std::filesystem::copy_options::overwrite_existing);
            }
        });
        printer.printer->texts.clear();

        EXPECT_EQ(controller().importFile(source), CommandOutcome::Failed);

        EXPECT_EQ(Texts(), (std::vector<std::string>{Line(
                               MessageImportFailed,
                               removed ? "in.wav: there is no such file."
                                       : "in.wav: the file changed while it was being imported; "
                                         "the card was left as it was.")}));
        EXPECT_EQ(InformationBytes(), informationBefore);
        EXPECT_TRUE(Fixture::TemporaryLeftovers(CardDirectory()).empty());
        Fixture::WriteSamplesFile(source, Fixture::TestSignal(2, 20000), 2,
                                  CardLayout::FileFormatWave);
    }
}

// Cancel pressed at each point where the import asks: before it is finalising the card is as it
// was, old sample and all; once it is finalising Cancel is no longer offered.
TEST_F(ImportCommandTest, CancelAtAnyPointLeavesTheCardAsItWas) {
    LoadEmptyCard();
    PutSample(5, 1, 5000);
    const std::string source = Source(2, 9000);
    // How many times a whole import asks.
    ASSERT_EQ(controller().importFile(source), CommandOutcome::Succeeded);
    const int queries = progress->cancelQueries();
    ASSERT_GE(queries, 6);

    int cancelled = 0;
    bool cancelledWhileCopyingTheSecondFile = false;
    for (int query = 1; query <= queries; ++query) {
        SCOPED_TRACE("cancel at query " + std::to_string(query));
        LoadEmptyCard();
        PutSample(5, 1, 5000);
        const std::string informationBefore = InformationBytes();
        const std::string leftBefore = Fixture::ReadFileBytes(LeftFile(5));
        const auto modelBefore = domain.model;
        view.calls.clear();
        NextProgress().pressCancelAtQuery(query);

        const CommandOutcome outcome = controller().importFile(source);

        EXPECT_TRUE(Texts().empty());
        EXPECT_TRUE(Fixture::TemporaryLeftovers(CardDirectory()).empty());
        EXPECT_TRUE(Fixture::FileNames(temporaryDirectory).empty());
        EXPECT_EQ(progress->endCount(), 1);
        EXPECT_EQ(view.calls.front(), "bank");
        if (outcome == CommandOutcome::Cancelled) {
            ++cancelled;
            cancelledWhileCopyingTheSecondFile |= progress->getText() == "Copying... 2/2";
            EXPECT_EQ(domain.model, modelBefore);
            EXPECT_EQ(InformationBytes(), informationBefore);
            EXPECT_EQ(Fixture::ReadFileBytes(LeftFile(5)), leftBefore);
            EXPECT_FALSE(std::filesystem::exists(RightFile(5)));
        } else {
            EXPECT_EQ(outcome, CommandOutcome::Succeeded);
            EXPECT_TRUE(domain.model->entryOf(5).stereo);
        }
        if (HasFailure()) {
            break;
        }
    }
    // The import asks only while Cancel is offered, so every query is a cancel point.
    EXPECT_EQ(cancelled, queries);
    EXPECT_TRUE(cancelledWhileCopyingTheSecondFile);
}

TEST_F(ImportCommandTest, ACardChangedByAnotherProgramIsReloadedNotWritten) {
    LoadEmptyCard();
    // Another converter, with a model of its own, puts a sample on pad 6 meanwhile.
    CDomain other;
    other.controller->setProgressFactory([] { return std::make_shared<UL::CSilentProgress>(); });
    ASSERT_TRUE(other.controller->selectDrive(root, 1));
    ASSERT_TRUE(other.controller->selectPad(6));
    ASSERT_EQ(other.controller->importFile(Source(1, 4000)), CommandOutcome::Succeeded);
    const std::string changed = InformationBytes();
    printer.printer->texts.clear();

    EXPECT_EQ(controller().importFile(Source(2, 5000)), CommandOutcome::Failed);

    EXPECT_EQ(Texts(), Lines(MessageCardChanged));
    EXPECT_EQ(InformationBytes(), changed);
    EXPECT_EQ(domain.model->entries, CardEntries());
    EXPECT_TRUE(domain.model->hasSample(6));
    EXPECT_EQ(domain.model->selectedPad, 5);
    EXPECT_FALSE(std::filesystem::exists(LeftFile(5)));
    EXPECT_EQ(view.calls.back(), "delete");
}

} // namespace
} // namespace ZQ3
