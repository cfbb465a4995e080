#pragma once

// What the tests of the import, export and delete commands share: a card folder, a private
// temporary directory, a controller with a silent progress the test can press Cancel on, and
// the files and samples to feed it. Header-only: this folder builds its *_test.cpp files.

#include "app/controller.h"
#include "app/domain.h"
#include "app/message_catalogue.h"
#include "card/card_layout.h"
#include "card/sample_entry.h"
#include "card/sample_information_dto.h"
#include "sl/codec/vexa_coding.h"
#include "sl/codec/vexa_file_input_sample_iterator.h"
#include "sl/codec/vexa_file_output_sample_iterator.h"
#include "sl/files/file_sample_buffer_factory.h"
#include "sl/model/bit_depth.h"
#include "sl/model/wave_file_format.h"
#include "tests/support/recording_view.h"
#include "tests/support/silent_progress.h"
#include "tests/support/sound_file.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wav_fixture.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <vector>

namespace ZQ3::Fixture {

using Samples = std::vector<std::int16_t>;

// Interleaved samples of a mixed-sine signal, different on each channel, with some noise so
// that the codec has real work.
inline Samples TestSignal(int channels, std::uint32_t frames, unsigned seed = 1) {
    Samples samples;
    samples.reserve(std::size_t{frames} * static_cast<std::size_t>(channels));
    std::uint32_t noise = seed * 2654435761u + 12345u;
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        for (int channel = 0; channel < channels; ++channel) {
            noise = noise * 1664525u + 1013904223u;
            const double t = frame / 44100.0;
            const double value = 12000 * std::sin(2 * M_PI * (220 + 110 * channel) * t) +
                                 6000 * std::sin(2 * M_PI * 1375 * t + channel) +
                                 static_cast<double>(static_cast<int>(noise >> 20) - 2048);
            samples.push_back(static_cast<std::int16_t>(std::lround(value)));
        }
    }
    return samples;
}

// Writes samples as a 16-bit 44.1 kHz file through the converter's own file writer, replacing
// any file of that name (the writer itself only creates files new).
inline void WriteSamplesFile(const std::string& path, const Samples& samples, int channels,
                             int fileFormat) {
    std::filesystem::remove(path);
    const SL::CSampleAttribute attribute(
        SL::CBitDepth::INTEGER16, 44100.0, channels,
        static_cast<std::int32_t>(samples.size() / static_cast<std::size_t>(channels)));
    const auto output =
        std::dynamic_pointer_cast<SL::ITypedOutputSampleIterator<SL::CSampleTag::Integer16>>(
            SL::CFileSampleBufferFactory().CreateOutputSampleIterator(
                attribute, path, SL::CWaveFileFormat(fileFormat)));
    ASSERT_TRUE(output);
    for (const std::int16_t sample : samples) {
        ASSERT_TRUE(output->IsValid());
        output->SetValue(sample);
        output->Advance();
    }
    ASSERT_TRUE(output->Finish());
}

// What the codec gives back for samples coded in N-bit frames of 16, each channel from its own
// start and its last frame padded with zeros; the result has the padded length.
inline Samples CodecReconstruction(const Samples& samples, int channels, int bitsPerSample = 8) {
    const auto channelCount = static_cast<std::size_t>(channels);
    const std::size_t frames = samples.size() / channelCount;
    const std::size_t padded = (frames + 15) / 16 * 16;
    Samples result(padded * channelCount);
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(2 * bitsPerSample));
    for (std::size_t channel = 0; channel < channelCount; ++channel) {
        const auto encoder = SL::CVexaCoding::Create(bitsPerSample);
        const auto decoder = SL::CVexaCoding::Create(bitsPerSample);
        std::array<std::int16_t, 16> block{};
        std::array<std::int16_t, 16> decoded{};
        for (std::size_t start = 0; start < padded; start += 16) {
            for (std::size_t i = 0; i < 16; ++i) {
                const std::size_t at = start + i;
                block[i] = at < frames ? samples[at * channelCount + channel] : 0;
            }
            EXPECT_TRUE(encoder->Encode(block, 1, 0, frame));
            EXPECT_TRUE(decoder->Decode(frame, decoded, 1, 0));
            for (std::size_t i = 0; i < 16; ++i) {
                result[(start + i) * channelCount + channel] = decoded[i];
            }
        }
    }
    return result;
}

// Encodes samples into channel files of N-bit frames, as the sampler writes them.
inline void WriteChannelFiles(const std::vector<std::string>& paths, const Samples& samples,
                              int bitsPerSample) {
    std::vector<std::shared_ptr<std::ostream>> streams;
    for (const std::string& path : paths) {
        streams.push_back(std::make_shared<std::ofstream>(path, std::ios::binary));
    }
    SL::CVexaFileOutputSampleIterator output(streams, bitsPerSample);
    for (const std::int16_t sample : samples) {
        ASSERT_TRUE(output.IsValid());
        output.SetValue(sample);
        output.Advance();
    }
    ASSERT_TRUE(output.Finish());
}

inline std::vector<std::string> FileNames(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& item : std::filesystem::directory_iterator(dir, ignored)) {
        names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The names in dir that look like the commands' temporary files.
inline std::vector<std::string> TemporaryLeftovers(const std::string& dir) {
    std::vector<std::string> leftovers;
    for (const std::string& name : FileNames(dir)) {
        if (name.rfind("___ZQ3_", 0) == 0) {
            leftovers.push_back(name);
        }
    }
    return leftovers;
}

class CardCommandTest : public ::testing::Test {
protected:
    CardCommandTest() {
        MessageCatalogue::Instance().fill(LanguageEnglish);
        // The commands' temporary directory is the test's own, so that leftovers can be seen.
        if (const char* tmpdir = std::getenv("TMPDIR")) {
            savedTmpdir_ = tmpdir;
        }
        temporaryDirectory = directory / "tmp";
        std::filesystem::create_directories(temporaryDirectory);
        ::setenv("TMPDIR", temporaryDirectory.c_str(), 1);
        root = directory / "card";
        progress = std::make_shared<UL::CSilentProgress>();
        domain.controller->setView(&view);
        domain.controller->setProgressFactory([this] { return progress; });
    }
    ~CardCommandTest() override {
        if (savedTmpdir_) {
            ::setenv("TMPDIR", savedTmpdir_->c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
    }

    CController& controller() { return *domain.controller; }

    // Writes the information file of entries at root and loads it with bank and pad selected.
    void LoadCard(const std::vector<SampleEntry>& entries, int bank = 1, int pad = 5) {
        MakeCard(root, entries);
        ASSERT_TRUE(controller().selectDrive(root, bank));
        ASSERT_TRUE(controller().selectPad(pad));
    }
    void LoadEmptyCard(int bank = 1, int pad = 5) {
        LoadCard(std::vector<SampleEntry>(CardLayout::SlotCount), bank, pad);
    }

    // Imports a test signal onto pad of the current bank; the selection comes back to where it
    // was.
    void PutSample(int pad, int channels, std::uint32_t frames, unsigned seed = 7) {
        const int selected = domain.model->selectedPad;
        const std::string source = directory / ("source" + std::to_string(seed) + ".wav");
        WriteSamplesFile(source, TestSignal(channels, frames, seed), channels,
                         CardLayout::FileFormatWave);
        ASSERT_TRUE(controller().selectPad(pad));
        NextProgress();
        ASSERT_EQ(controller().importFile(source), CommandOutcome::Succeeded);
        ASSERT_TRUE(controller().selectPad(selected));
        NextProgress();
    }

    std::vector<SampleEntry> CardEntries() const {
        return ReadSampleInformationFile(CardLayout::InformationFilePath(root))
            .value_or(std::vector<SampleEntry>());
    }
    std::string InformationBytes() const {
        return ReadFileBytes(CardLayout::InformationFilePath(root));
    }
    std::string LeftFile(int pad) const { return domain.model->leftFilePath(pad); }
    std::string RightFile(int pad) const { return domain.model->rightFilePath(pad); }
    std::string CardDirectory() const { return CardLayout::CardDirectory(root); }

    std::vector<std::string> Texts() const { return printer.texts(); }
    static std::string Line(int id) { return MessageCatalogue::Instance().text(id) + "\n"; }
    static std::vector<std::string> Lines(int id) { return {Line(id)}; }
    // The message followed by the reason on the next line, as a refusal shows them.
    static std::string Line(int id, const std::string& detail) { return Line(id) + detail + "\n"; }

    // A fresh silent progress for the next command.
    UL::CSilentProgress& NextProgress() {
        progress = std::make_shared<UL::CSilentProgress>();
        return *progress;
    }

    TemporaryDirectory directory;
    std::string temporaryDirectory;
    std::string root;
    CDomain domain;
    CRecordingView view{domain};
    CInstalledPrinter printer;
    std::shared_ptr<UL::CSilentProgress> progress;

private:
    std::optional<std::string> savedTmpdir_;
};

} // namespace ZQ3::Fixture
