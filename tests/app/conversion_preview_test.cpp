// The conversion the open dialog plays before an import: made on its own thread into a private
// work file, kept for the same file, cancelled without a trace.

#include "app/conversion_preview.h"
#include "tests/support/sound_file.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wait_until.h"
#include "tests/support/wav_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace ZQ3 {
namespace {

class ConversionPreviewTest : public ::testing::Test {
protected:
    ConversionPreviewTest() {
        // The preview's work folder is made in the test's own temporary directory.
        temporary = directory / "tmp";
        std::filesystem::create_directories(temporary);
        if (const char* saved = std::getenv("TMPDIR")) {
            savedTmpdir_ = saved;
        }
        ::setenv("TMPDIR", temporary.c_str(), 1);
    }
    ~ConversionPreviewTest() override {
        if (savedTmpdir_.empty()) {
            ::unsetenv("TMPDIR");
        } else {
            ::setenv("TMPDIR", savedTmpdir_.c_str(), 1);
        }
    }

    // A 48 kHz 24-bit stereo tone of frames frames.
    std::string DeepFile(const std::string& name, std::uint32_t frames) {
        const std::string path = directory / name;
        Fixture::WriteWav(path, 48000, 2, 24, frames, [](std::uint32_t frame, int channel) {
            return static_cast<std::int32_t>(
                std::lround(2e6 * std::sin(2 * M_PI * (330 + 110 * channel) * frame / 48000.0)));
        });
        return path;
    }
    // Starts the conversion and waits until it reports.
    bool ConvertAndWait(CConversionPreview& preview, const std::string& path) {
        std::atomic<bool> finished{false};
        preview.start(path, {}, [&finished] { finished = true; });
        return Fixture::WaitUntil([&finished] { return finished.load(); });
    }
    std::vector<std::filesystem::path> WorkFiles() const {
        std::vector<std::filesystem::path> files;
        for (const auto& item : std::filesystem::recursive_directory_iterator(temporary)) {
            // The lock file marks the work folder as in use; it is no work file.
            if (item.is_regular_file() &&
                item.path().filename() != CPrivateDirectory::LockFileName) {
                files.push_back(item.path());
            }
        }
        return files;
    }

    Fixture::TemporaryDirectory directory;
    std::string temporary;

private:
    std::string savedTmpdir_;
};

TEST_F(ConversionPreviewTest, ConvertsToTheCardsFormatAndKeepsItForTheSameFile) {
    const std::string source = DeepFile("deep.wav", 24000);
    CConversionPreview preview;
    ASSERT_TRUE(ConvertAndWait(preview, source));
    ASSERT_EQ(preview.state(), CConversionPreview::State::Ready);
    EXPECT_TRUE(preview.isOf(source));
    const std::string converted = preview.convertedFile();
    const auto sound = Fixture::ReadSoundFile<std::int16_t>(converted);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->sampleRate, 44100);
    EXPECT_EQ(sound->bitsPerSample, 16);
    EXPECT_EQ(sound->channels, 2);
    EXPECT_EQ(sound->frames, 22050);

    // Played again: the same work file, nothing converted anew.
    ASSERT_TRUE(ConvertAndWait(preview, source));
    EXPECT_EQ(preview.convertedFile(), converted);

    // The file replaced under its name is converted again, and the old work file goes.
    std::filesystem::remove(source);
    DeepFile("deep.wav", 48000);
    ASSERT_TRUE(ConvertAndWait(preview, source));
    ASSERT_EQ(preview.state(), CConversionPreview::State::Ready);
    EXPECT_NE(preview.convertedFile(), converted);
    EXPECT_FALSE(std::filesystem::exists(converted));
    EXPECT_EQ(WorkFiles().size(), 1u);
}

TEST_F(ConversionPreviewTest, AFileTheConverterCannotReadFailsNamingIt) {
    const std::string path = directory / "notes.flac";
    std::ofstream(path) << "only words, no sound";
    CConversionPreview preview;
    ASSERT_TRUE(ConvertAndWait(preview, path));
    EXPECT_EQ(preview.state(), CConversionPreview::State::Failed);
    EXPECT_NE(preview.failure().find("notes.flac"), std::string::npos) << preview.failure();
    EXPECT_EQ(preview.convertedFile(), "");
}

TEST_F(ConversionPreviewTest, CancelLeavesNoWorkFileAndNoReport) {
    // A minute of sound takes far longer to convert than the cancel takes to arrive.
    const std::string source = DeepFile("long.wav", 48000 * 60);
    std::atomic<bool> finished{false};
    {
        CConversionPreview preview;
        preview.start(source, {}, [&finished] { finished = true; });
        preview.cancel();
        EXPECT_EQ(preview.state(), CConversionPreview::State::Idle);
        EXPECT_FALSE(preview.isOf(source));
        EXPECT_TRUE(WorkFiles().empty());

        // Going away while converting waits for the thread and takes the folder along.
        preview.start(source, {}, [&finished] { finished = true; });
    }
    EXPECT_FALSE(finished.load());
    EXPECT_TRUE(std::filesystem::is_empty(temporary));
}

} // namespace
} // namespace ZQ3
