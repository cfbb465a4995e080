// An import that converts the user's file first: the conversion is a step of the import's one
// progress display, Cancel during it leaves the card exactly as it was, and a failure after it
// names the user's file rather than the converter's work file.

#include "app/import_command.h"
#include "tests/support/card_command_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <map>

namespace ZQ3 {
namespace {

// A silent progress that keeps the text of each step and the text shown when Cancel counted,
// and lets the test act as a step begins.
class CStepRecordingProgress : public UL::CSilentProgress {
public:
    void setText(const std::string& text) override {
        if (steps.empty() || steps.back() != text) {
            steps.push_back(text);
        }
        CSilentProgress::setText(text);
        if (onText) {
            onText(text);
        }
    }
    bool isCancelled() override {
        const bool cancelled = CSilentProgress::isCancelled();
        if (cancelled && textAtCancel.empty()) {
            textAtCancel = getText();
        }
        return cancelled;
    }

    std::vector<std::string> steps;
    std::string textAtCancel;
    std::function<void(const std::string&)> onText;
};

class ImportConversionTest : public Fixture::CardCommandTest {
protected:
    // A 48 kHz 24-bit stereo tone, which the card does not take as it is.
    std::string DeepFile(std::uint32_t frames) {
        const std::string path = directory / "deep.wav";
        Fixture::WriteWav(path, 48000, 2, 24, frames, [](std::uint32_t frame, int channel) {
            const double t = frame / 48000.0;
            return static_cast<std::int32_t>(
                std::lround(3e6 * std::sin(2 * M_PI * (440 + 220 * channel) * t)));
        });
        return path;
    }
    static ImportConversion Converting() {
        ImportConversion conversion;
        conversion.convert = true;
        return conversion;
    }
    CStepRecordingProgress& NextRecordingProgress() {
        auto recording = std::make_shared<CStepRecordingProgress>();
        progress = recording;
        return *recording;
    }
    // Every file of the card's folder with its bytes.
    std::map<std::string, std::string> CardFiles() const {
        std::map<std::string, std::string> files;
        for (const std::string& name : Fixture::FileNames(CardDirectory())) {
            files[name] = Fixture::ReadFileBytes(CardDirectory() + "/" + name);
        }
        return files;
    }
    // The converter's work files in the commands' temporary directory.
    std::vector<std::filesystem::path> ConvertedWorkFiles() const {
        std::vector<std::filesystem::path> found;
        for (const auto& item : std::filesystem::recursive_directory_iterator(temporaryDirectory)) {
            if (item.path().filename().string().starts_with("convert")) {
                found.push_back(item.path());
            }
        }
        return found;
    }
};

TEST_F(ImportConversionTest, TheConversionIsTheFirstStepOfTheImportsOneProgressDisplay) {
    LoadEmptyCard();
    CStepRecordingProgress& recording = NextRecordingProgress();

    ASSERT_EQ(controller().importFile(DeepFile(24000), Converting()), CommandOutcome::Succeeded);

    ASSERT_GE(recording.steps.size(), 3u);
    EXPECT_EQ(recording.steps[0], ConvertingFileText("deep.wav"));
    EXPECT_EQ(recording.steps[1], CatalogueText(MessageConverting));
    EXPECT_EQ(recording.steps.back(), CatalogueText(MessageFinalizing));
    // One display from the conversion to the end, not one that closes and opens again.
    EXPECT_EQ(recording.beginCount(), 1);
    EXPECT_EQ(recording.endCount(), 1);
    EXPECT_EQ(recording.getTitle(), CatalogueText(MessageImporting));
    // Half a second at the card's rate, in whole blocks of 16 frames.
    const SampleEntry& entry = domain.model->entryOf(5);
    EXPECT_TRUE(entry.stereo);
    EXPECT_EQ(entry.frameCount, (22050 + 15) / 16 * 16);
    EXPECT_EQ(CardEntries(), domain.model->entries);
}

TEST_F(ImportConversionTest, CancelWhileConvertingLeavesTheCardExactlyAsItWas) {
    // Two seconds: the conversion asks whether to go on after every block it reads.
    const std::string source = DeepFile(96000);
    for (const int query : {1, 5}) {
        SCOPED_TRACE("cancel at query " + std::to_string(query));
        LoadEmptyCard();
        PutSample(5, 1, 5000);
        PutSample(6, 2, 7000, 3);
        const auto filesBefore = CardFiles();
        const auto modelBefore = domain.model->entries;
        printer.printer->texts.clear();
        CStepRecordingProgress& recording = NextRecordingProgress();
        recording.pressCancelAtQuery(query);

        EXPECT_EQ(controller().importFile(source, Converting()), CommandOutcome::Cancelled);

        EXPECT_EQ(recording.textAtCancel, ConvertingFileText("deep.wav"));
        EXPECT_EQ(CardFiles(), filesBefore);
        EXPECT_EQ(domain.model->entries, modelBefore);
        EXPECT_TRUE(Texts().empty());
        EXPECT_EQ(recording.endCount(), 1);
        // The command's private folder, the conversion in it, went with the command.
        EXPECT_TRUE(Fixture::FileNames(temporaryDirectory).empty());
    }
}

TEST_F(ImportConversionTest, AConversionThatFailsItsSecondReadIsReportedByTheUsersFile) {
    const std::string source = DeepFile(24000);
    const std::string other = directory / "other.wav";
    Fixture::WriteSamplesFile(other, Fixture::TestSignal(1, 9000), 1, CardLayout::FileFormatWave);
    for (const bool truncated : {true, false}) {
        SCOPED_TRACE(truncated ? "truncated" : "replaced");
        LoadEmptyCard();
        PutSample(5, 1, 4000);
        const auto filesBefore = CardFiles();
        printer.printer->texts.clear();
        CStepRecordingProgress& recording = NextRecordingProgress();
        // The work file is spoilt between its conversion and its encoding onto the card.
        recording.onText = [&](const std::string& text) {
            if (text != CatalogueText(MessageConverting)) {
                return;
            }
            for (const auto& work : ConvertedWorkFiles()) {
                if (truncated) {
                    std::filesystem::resize_file(work, 30);
                } else {
                    std::filesystem::copy_file(other, work,
                                               std::filesystem::copy_options::overwrite_existing);
                }
            }
        };

        EXPECT_EQ(controller().importFile(source, Converting()), CommandOutcome::Failed);

        const std::vector<std::string> texts = Texts();
        ASSERT_EQ(texts.size(), 1u);
        if (truncated) {
            EXPECT_TRUE(texts[0].starts_with(Line(MessageImportFailed) + "deep.wav: ")) << texts[0];
        } else {
            EXPECT_EQ(texts[0], Line(MessageImportFailed,
                                     "deep.wav: the file changed while it was being imported; "
                                     "the card was left as it was."));
        }
        EXPECT_EQ(texts[0].find("convert0"), std::string::npos) << texts[0];
        EXPECT_EQ(CardFiles(), filesBefore);
        EXPECT_TRUE(Fixture::FileNames(temporaryDirectory).empty());
    }
}

} // namespace
} // namespace ZQ3
