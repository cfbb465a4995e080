// Names given to the real executable that are not regular files: the tool must refuse them at
// once, never wait on them.

#include "card/card_layout.h"
#include "tests/cli/run_zq3.h"
#include "tests/support/fifo.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <filesystem>

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

} // namespace
} // namespace ZQ3
