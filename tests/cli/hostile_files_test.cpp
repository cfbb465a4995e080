// Names given to the real executable that are not regular files: the tool must refuse them at
// once, never wait on them.

#include "card/card_layout.h"
#include "tests/cli/run_zq3.h"
#include "tests/support/fifo.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wav_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace ZQ3 {
namespace {

using Fixture::RunZq3;

TEST(CliHostileFiles, FifosAreRefusedAtOnce) {
    Fixture::TemporaryDirectory directory;
    const std::string card = directory / "card";
    const std::string fifo = directory / "pipe.wav";
    std::filesystem::create_directory(card);
    ASSERT_EQ(RunZq3({"init", card}).exitCode, 0);
    ASSERT_TRUE(Fixture::MakeFifo(fifo));

    Fixture::CommandResult import;
    const auto importFifo = [&] { import = RunZq3({"import", card, "D0", fifo}); };
    EXPECT_TRUE(Fixture::ReturnsPromptly(fifo, importFifo));
    EXPECT_EQ(import.exitCode, 1);
    EXPECT_EQ(import.err.rfind("zq3: import: Failed to load the wave file.", 0), 0u) << import.err;

    // Every command that reads a sound file goes through the same gate.
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"convert", fifo, directory / "out.wav"}, {"play", fifo}}) {
        Fixture::CommandResult run;
        EXPECT_TRUE(Fixture::ReturnsPromptly(fifo, [&] { run = RunZq3(arguments); }))
            << arguments[0];
        EXPECT_EQ(run.exitCode, 1) << arguments[0];
        EXPECT_NE(run.err.find("pipe.wav: this is a FIFO (named pipe), not a regular file."),
                  std::string::npos)
            << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(directory / "out.wav"));

    // A FIFO in place of the card's information file makes the folder no card.
    const std::string information = CardLayout::InformationFilePath(card);
    ASSERT_TRUE(std::filesystem::remove(information));
    ASSERT_TRUE(Fixture::MakeFifo(information));
    Fixture::CommandResult info;
    const auto listCard = [&] { info = RunZq3({"info", card}); };
    EXPECT_TRUE(Fixture::ReturnsPromptly(information, listCard));
    EXPECT_EQ(info.exitCode, 1);
    EXPECT_EQ(info.err, "zq3: info: The selected drive is not for the ZQ-314.\n" + information +
                            ": the card's information file is a FIFO (named pipe), not a regular "
                            "file.\n");
}

// A small file whose header claims a shape that would have every buffer, resampler and converted
// file sized far beyond the file: each command refuses it, naming the bound, before sizing
// anything from the header.
struct HostileHeader {
    const char* name;
    std::function<void(const std::string&)> write;
    const char* reason;
};

// An AIFF file of 16-bit mono frames at 1 Hz, the rate an 80-bit extended float of exponent 0
// gives.
void WriteAiffAtOneHertz(const std::string& path, std::uint32_t frames) {
    const auto big = [](std::string& bytes, std::uint32_t value, int width) {
        for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) {
            bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
        }
    };
    const std::uint32_t dataBytes = frames * 2;
    std::string bytes = "FORM";
    big(bytes, 4 + 8 + 18 + 8 + 8 + dataBytes, 4);
    bytes += "AIFFCOMM";
    big(bytes, 18, 4);
    big(bytes, 1, 2);
    big(bytes, frames, 4);
    big(bytes, 16, 2);
    bytes += std::string("\x3F\xFF\x80\0\0\0\0\0\0\0", 10);
    bytes += "SSND";
    big(bytes, 8 + dataBytes, 4);
    bytes += std::string(8, '\0') + std::string(dataBytes, '\x11');
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::function<void(const std::string&)> Wav(std::uint32_t rate, int channels, int bits,
                                            std::uint32_t frames) {
    return [=](const std::string& path) {
        Fixture::WriteWav(path, rate, channels, bits, frames,
                          [](std::uint32_t frame, int) { return std::int32_t(frame % 64); });
    };
}

// The release build's bound on a command's peak memory. Under AddressSanitizer the shadow memory
// and the quarantine of freed blocks add about 60 MiB of their own, so the bound there is looser,
// yet still far below what a header that sizes a buffer took (gigabytes).
#if defined(__SANITIZE_ADDRESS__)
constexpr long kMemoryLimitKilobytes = 256 * 1024;
#else
constexpr long kMemoryLimitKilobytes = 64 * 1024;
#endif

class CliHostileHeaders : public testing::TestWithParam<std::string> {};

TEST_P(CliHostileHeaders, AreRefusedForWhatTheyClaimWithinBoundedMemory) {
    const std::vector<HostileHeader> headers{
        {"rate1.wav", Wav(1, 1, 16, 10'000), "its header gives a sample rate of 1 Hz;"},
        {"rate-max.wav", Wav(4294967295u, 2, 16, 44'000),
         "its header gives a sample rate of 4294967295 Hz;"},
        {"channels.wav", Wav(44100, 65535, 8, 20), "its header gives 65535 channels;"},
        {"rate1.aif", [](const std::string& path) { WriteAiffAtOneHertz(path, 10'000); },
         "its header gives a sample rate of 1 Hz;"},
        // Six hours and two minutes at 1 kHz: 44 times as long once converted.
        {"long.wav", Wav(1000, 1, 8, 21'720'000), "its header gives a length of 6.0 hours"},
    };
    Fixture::TemporaryDirectory directory;
    const std::string card = directory / "card";
    std::filesystem::create_directory(card);
    ASSERT_EQ(RunZq3({"init", card}).exitCode, 0);
    for (const HostileHeader& header : headers) {
        const std::string path = directory / header.name;
        header.write(path);
        const std::string out = directory / "out.wav";
        std::vector<std::string> arguments;
        if (GetParam() == "convert") {
            arguments = {"convert", path, out};
        } else if (GetParam() == "import") {
            arguments = {"import", card, "C0", path, "--convert", "--yes"};
        } else {
            arguments = {"play", path};
        }
        const Fixture::CommandResult run = RunZq3(arguments, {"ZQ3_AUDIO_OUT=null"});
        EXPECT_EQ(run.exitCode, 1) << header.name << ": " << run.err;
        EXPECT_NE(run.err.find(std::string(header.name) + ": " + header.reason), std::string::npos)
            << run.err;
        EXPECT_GT(run.peakKilobytes, 0);
        EXPECT_LT(run.peakKilobytes, kMemoryLimitKilobytes) << header.name;
        EXPECT_FALSE(std::filesystem::exists(out)) << header.name;
    }
    // The card was left as it was.
    const Fixture::CommandResult info = RunZq3({"info", card});
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_EQ(info.out.find("C0 "), std::string::npos) << info.out;
}

// The widest shape within the bounds, with the longest buffer times a user may choose: the
// buffers are times that the rate and channel count multiply, and still stay small.
TEST(CliHostileFiles, TheWidestShapePlaysWithinBoundedMemory) {
    Fixture::TemporaryDirectory directory;
    const std::string path = directory / "wide.wav";
    Wav(768000, 32, 16, 76800)(path);
    const Fixture::CommandResult run =
        RunZq3({"play", path, "--ring-buffer-time", "10", "--device-buffer-time", "2"},
               {"ZQ3_AUDIO_OUT=null"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_GT(run.peakKilobytes, 0);
    EXPECT_LT(run.peakKilobytes, kMemoryLimitKilobytes);
}

INSTANTIATE_TEST_SUITE_P(Commands, CliHostileHeaders, testing::Values("convert", "import", "play"));

} // namespace
} // namespace ZQ3
