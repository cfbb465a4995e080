// The export command: a pad comes back as the file the codec makes of it, lo-fi pads at twice
// their stored length, and an existing destination is replaced whole or not at all.

#include "app/export_command.h"
#include "app/write_behind.h"
#include "tests/support/card_command_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

namespace ZQ3 {
namespace {

using Fixture::Samples;

constexpr int Wave = CardLayout::FileFormatWave;
constexpr int Aiff = CardLayout::FileFormatAiff;

class ExportCommandTest : public Fixture::CardCommandTest {
protected:
    // Imports signal onto the selected pad.
    void Import(const Samples& signal, int channels) {
        const std::string source = directory / "source.wav";
        Fixture::WriteSamplesFile(source, signal, channels, Wave);
        ASSERT_EQ(controller().importFile(source), CommandOutcome::Succeeded);
        NextProgress();
        view.calls.clear();
    }

    std::string destinationDirectory() {
        const std::string dir = directory / "out";
        std::filesystem::create_directories(dir);
        return dir;
    }
};

struct RoundTrip {
    const char* name;
    int fileFormat;
    int channels;
    std::uint32_t frames;
};

class ExportRoundTripTest : public ExportCommandTest,
                            public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(ExportRoundTripTest, GivesBackTheSourceShapeAndTheCodecsSamples) {
    const RoundTrip& trip = GetParam();
    LoadEmptyCard();
    const Samples signal = Fixture::TestSignal(trip.channels, trip.frames);
    Import(signal, trip.channels);
    const std::string destination = destinationDirectory() + "/pad.out";

    EXPECT_EQ(controller().exportPad(trip.fileFormat, destination), CommandOutcome::Succeeded);

    EXPECT_TRUE(Texts().empty());
    const auto file = Fixture::ReadSoundFile<std::int16_t>(destination);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->container,
              trip.fileFormat == Wave ? Fixture::Container::Wave : Fixture::Container::Aiff);
    EXPECT_EQ(file->channels, trip.channels);
    EXPECT_EQ(file->sampleRate, 44100);
    EXPECT_EQ(file->bitsPerSample, 16);
    // The card keeps whole blocks of 16 frames; a source of whole blocks comes back at its own
    // length.
    const std::uint32_t stored = (trip.frames + 15) / 16 * 16;
    EXPECT_EQ(file->frames, stored);
    EXPECT_EQ(file->samples, Fixture::CodecReconstruction(signal, trip.channels));
    EXPECT_EQ(std::filesystem::file_size(destination),
              domain.model->diskBytesNeeded(5, trip.fileFormat));
    EXPECT_EQ(Fixture::TemporaryLeftovers(destinationDirectory()), std::vector<std::string>{});
    // Export changes neither the model nor the view.
    EXPECT_TRUE(view.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, ExportRoundTripTest,
                         ::testing::Values(RoundTrip{"StereoWave", Wave, 2, 4800},
                                           RoundTrip{"MonoWave", Wave, 1, 4096},
                                           RoundTrip{"StereoAiff", Aiff, 2, 3200},
                                           RoundTrip{"MonoAiffBetweenBlocks", Aiff, 1, 3089},
                                           RoundTrip{"StereoWaveBetweenBlocks", Wave, 2, 3101},
                                           // Decoded into several of the write-behind's blocks.
                                           RoundTrip{"StereoWaveOverWriteBlocks", Wave, 2, 300007},
                                           RoundTrip{"MonoAiffOverWriteBlocks", Aiff, 1, 600001}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(ExportCommandTest, ALofiPadPlaysAndExportsAtTwiceItsStoredLength) {
    for (const int channels : {1, 2}) {
        SCOPED_TRACE(channels);
        std::vector<SampleEntry> entries(CardLayout::SlotCount);
        SampleEntry& lofi = entries[CardLayout::Slot(1, 5)];
        lofi.frameCount = 1000;
        lofi.rangeEnd = 1000;
        lofi.lofi = 1;
        lofi.stereo = channels == 2;
        LoadCard(entries);
        // 2000 samples per channel in the short frame form: 125 frames of 8 bytes.
        const Samples stored = Fixture::TestSignal(channels, 2000);
        std::vector<std::string> files{LeftFile(5)};
        if (channels == 2) {
            files.push_back(RightFile(5));
        }
        Fixture::WriteChannelFiles(files, stored, 4);
        ASSERT_EQ(std::filesystem::file_size(LeftFile(5)), 1000u);
        const std::string destination = destinationDirectory() + "/lofi.wav";

        ASSERT_EQ(controller().exportPad(Wave, destination), CommandOutcome::Succeeded);

        const auto file = Fixture::ReadSoundFile<std::int16_t>(destination);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->frames, 2000);
        EXPECT_EQ(file->channels, channels);
        // The lo-fi sound: every fourth frame of the decoded files, held for four frames.
        const Samples decoded = Fixture::CodecReconstruction(stored, channels, 4);
        Samples held(decoded.size());
        const auto channelCount = static_cast<std::size_t>(channels);
        for (std::size_t frame = 0; frame < 2000; ++frame) {
            for (std::size_t channel = 0; channel < channelCount; ++channel) {
                held[frame * channelCount + channel] =
                    decoded[(frame / 4 * 4) * channelCount + channel];
            }
        }
        EXPECT_EQ(file->samples, held);
        EXPECT_EQ(std::filesystem::file_size(destination),
                  2000u * 2 * static_cast<unsigned>(channels) + 46);
    }
}

TEST_F(ExportCommandTest, ReplacesAnExistingFileWhole) {
    LoadEmptyCard();
    Import(Fixture::TestSignal(1, 4000), 1);
    const std::string destination = destinationDirectory() + "/existing.wav";
    Fixture::WriteFileBytes(destination, std::string(100000, 'x'));

    ASSERT_EQ(controller().exportPad(Wave, destination), CommandOutcome::Succeeded);

    EXPECT_EQ(std::filesystem::file_size(destination), 4000u * 2 + 46);
    EXPECT_EQ(Fixture::FileNames(destinationDirectory()), std::vector<std::string>{"existing.wav"});
}

TEST_F(ExportCommandTest, CancelAtAnyPointLeavesTheDestinationUntouched) {
    LoadEmptyCard();
    // The export asks about a cancel before each block it writes: three blocks' worth.
    const auto frames = static_cast<std::uint32_t>(2 * CWriteBehindBuffer::kBlockBytes / 4 + 999);
    Import(Fixture::TestSignal(2, frames), 2);
    const std::string destination = destinationDirectory() + "/existing.aiff";
    const std::string existing = "an older export the user wants to keep";
    Fixture::WriteFileBytes(destination, existing);
    ASSERT_EQ(controller().exportPad(Aiff, destination), CommandOutcome::Succeeded);
    const int queries = progress->cancelQueries();
    ASSERT_GE(queries, 3);

    for (int query = 1; query <= queries; ++query) {
        SCOPED_TRACE("cancel at query " + std::to_string(query));
        Fixture::WriteFileBytes(destination, existing);
        NextProgress().pressCancelAtQuery(query);

        EXPECT_EQ(controller().exportPad(Aiff, destination), CommandOutcome::Cancelled);

        EXPECT_TRUE(Texts().empty());
        EXPECT_EQ(Fixture::ReadFileBytes(destination), existing);
        EXPECT_EQ(Fixture::FileNames(destinationDirectory()),
                  std::vector<std::string>{"existing.aiff"});
        EXPECT_EQ(progress->endCount(), 1);
    }
}

TEST_F(ExportCommandTest, RefusesADestinationItMayNotWriteBeforeAnyProgress) {
    LoadEmptyCard();
    Import(Fixture::TestSignal(1, 4000), 1);
    const std::string readOnly = destinationDirectory() + "/read-only.wav";
    Fixture::WriteFileBytes(readOnly, "keep");
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read |
                                               std::filesystem::perms::group_read |
                                               std::filesystem::perms::others_read);
    const std::string folder = "out: this is a folder; an export only replaces regular files.";
    const std::pair<std::string, std::string> destinations[] = {
        {readOnly, "read-only.wav: the existing file is read-only."},
        {destinationDirectory(), folder},
        {destinationDirectory() + "/", folder},
        {directory / "missing/pad.wav",
         "pad.wav: the folder " + (directory / "missing") + " does not exist."},
        // Only the desktop's own absolute paths come this far: nothing to say about others.
        {"relative.wav", ""},
    };
    for (const auto& [destination, detail] : destinations) {
        SCOPED_TRACE(destination);
        printer.printer->reports.clear();
        EXPECT_EQ(controller().exportPad(Wave, destination), CommandOutcome::Failed);
        EXPECT_EQ(printer.printer->reports,
                  (std::vector<std::pair<std::string, std::string>>{
                      {MessageCatalogue::Instance().text(MessageExportFailed), detail}}));
        EXPECT_EQ(progress->beginCount(), 0);
    }
    EXPECT_EQ(Fixture::ReadFileBytes(readOnly), "keep");
    EXPECT_EQ(Fixture::FileNames(destinationDirectory()),
              std::vector<std::string>{"read-only.wav"});
}

TEST_F(ExportCommandTest, NeverWritesIntoTheCardsOwnDirectory) {
    LoadEmptyCard();
    Import(Fixture::TestSignal(1, 4000), 1);
    const std::string information = InformationBytes();
    const std::string left = Fixture::ReadFileBytes(LeftFile(5));
    // The same directory reached through a link counts as well.
    const std::string link = directory / "card-link";
    std::filesystem::create_directory_symlink(CardDirectory(), link);
    const std::string destinations[] = {CardLayout::InformationFilePath(root), LeftFile(5),
                                        CardDirectory() + "new.wav", link + "/WVCINFO0.ZQD"};
    for (const std::string& destination : destinations) {
        SCOPED_TRACE(destination);
        printer.printer->texts.clear();
        EXPECT_EQ(controller().exportPad(Wave, destination), CommandOutcome::Failed);
        const std::string name = destination.substr(destination.rfind('/') + 1);
        EXPECT_EQ(Texts(),
                  (std::vector<std::string>{Line(
                      MessageExportFailed,
                      name + ": the destination lies in the card's own folder " + CardDirectory() +
                          "; a file written there could damage the card.")}));
    }
    EXPECT_EQ(progress->beginCount(), 0);
    EXPECT_EQ(InformationBytes(), information);
    EXPECT_EQ(Fixture::ReadFileBytes(LeftFile(5)), left);
    EXPECT_FALSE(std::filesystem::exists(CardDirectory() + "new.wav"));
    // Beside the card directory is fine.
    EXPECT_EQ(controller().exportPad(Wave, root + "/beside.wav"), CommandOutcome::Succeeded);
}

TEST_F(ExportCommandTest, MissingOrShortCardFilesFailTheExport) {
    LoadEmptyCard();
    Import(Fixture::TestSignal(2, 4000), 2);
    const std::string destination = destinationDirectory() + "/pad.wav";

    // A right file shorter than the recorded length.
    std::filesystem::resize_file(RightFile(5), 2000);
    EXPECT_EQ(controller().exportPad(Wave, destination), CommandOutcome::Failed);
    std::filesystem::remove(RightFile(5));
    EXPECT_EQ(controller().exportPad(Wave, destination), CommandOutcome::Failed);

    // Each failure names the pad, the file and what is wrong with it.
    const auto texts = Texts();
    ASSERT_EQ(texts.size(), 2u);
    const std::string file = RightFile(5).substr(RightFile(5).rfind('/') + 1);
    for (const std::string& text : texts) {
        EXPECT_EQ(text.rfind(Line(MessageExportFailed) + "D5: ", 0), 0u) << text;
        EXPECT_NE(text.find(file), std::string::npos) << text;
    }
    EXPECT_NE(texts[0].find(" 2000 "), std::string::npos) << texts[0];
    EXPECT_TRUE(Fixture::FileNames(destinationDirectory()).empty());
}

TEST_F(ExportCommandTest, AnEmptyPadOrAnUnknownFormatIsNotExported) {
    LoadEmptyCard();
    const std::string destination = destinationDirectory() + "/pad.wav";
    EXPECT_EQ(controller().exportPad(Wave, destination), CommandOutcome::Failed);
    Import(Fixture::TestSignal(1, 4000), 1);
    EXPECT_EQ(controller().exportPad(0, destination), CommandOutcome::Failed);
    EXPECT_EQ(controller().exportPad(3, destination), CommandOutcome::Failed);
    EXPECT_EQ(Texts(), (std::vector<std::string>(3, Line(MessageExportFailed))));
    EXPECT_EQ(progress->beginCount(), 0);
    EXPECT_TRUE(Fixture::FileNames(destinationDirectory()).empty());
}

TEST_F(ExportCommandTest, ShowsItsOwnProgress) {
    LoadEmptyCard();
    Import(Fixture::TestSignal(2, 30000), 2);
    ASSERT_EQ(controller().exportPad(Wave, destinationDirectory() + "/pad.wav"),
              CommandOutcome::Succeeded);
    EXPECT_EQ(progress->getTitle(), "Exporting...");
    EXPECT_EQ(progress->getText(), "Finalizing...");
    EXPECT_FALSE(progress->isCancellable());
    EXPECT_EQ(progress->beginCount(), 1);
    EXPECT_EQ(progress->endCount(), 1);
    EXPECT_EQ(progress->settleCount(), 1);
    EXPECT_EQ(progress->getRange(), 2 * 30000);
    EXPECT_EQ(progress->getPosition(), 2 * 30000);
    EXPECT_EQ(progress->backwardMoves(), 0);
    EXPECT_LT(progress->positionCalls(), 60);
}

TEST_F(ExportCommandTest, ADestinationNamedLikeTheTemporaryFileIsStillWrittenWhole) {
    LoadEmptyCard();
    Import(Fixture::TestSignal(1, 4000), 1);
    const std::string destination = destinationDirectory() + "/___ZQ3_TEMPORARY_WAVE_FILE___";
    Fixture::WriteFileBytes(destination, "old");
    NextProgress().pressCancelAtQuery(1);
    EXPECT_EQ(controller().exportPad(Wave, destination), CommandOutcome::Cancelled);
    EXPECT_EQ(Fixture::ReadFileBytes(destination), "old");

    NextProgress();
    EXPECT_EQ(controller().exportPad(Wave, destination), CommandOutcome::Succeeded);
    EXPECT_EQ(std::filesystem::file_size(destination), 4000u * 2 + 46);
    EXPECT_EQ(Fixture::FileNames(destinationDirectory()),
              std::vector<std::string>{"___ZQ3_TEMPORARY_WAVE_FILE___"});
}

} // namespace
} // namespace ZQ3
