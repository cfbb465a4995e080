#include "tests/cli/run_zq3.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace ZQ3 {
namespace {

// scripts/start as a user runs it from their own folder: the build says nothing on standard
// output, and a relative card path means the folder the user is in.
TEST(StartScript, GivesValidJsonForARelativeCardFromAnotherFolder) {
    Fixture::TemporaryDirectory directory;
    Fixture::MakeEmptyCard(directory / "card");
    const std::string out = directory / "out.json";
    const std::string err = directory / "err.txt";
    const std::string command = "cd '" + directory.path() +
                                "' && '" ZQ3_SOURCE_DIR "/scripts/start' info card --json >'" +
                                out + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    ASSERT_EQ(status, 0) << Fixture::ReadFileBytes(err);
    const std::string json = Fixture::ReadFileBytes(out);
    // The JSON object and nothing else: exactly what zq3 itself prints for the card.
    EXPECT_EQ(json.rfind("{\"root\":\"" + directory.path() + "/card\",", 0), 0u) << json;
    // The free space may change between the two runs.
    const auto withoutSpace = [](std::string text) {
        const auto from = text.find(",\"freeBytes\":");
        const auto to = text.find(",\"slots\":");
        return from < to && to != std::string::npos ? text.erase(from, to - from) : text;
    };
    EXPECT_EQ(withoutSpace(json),
              withoutSpace(Fixture::RunZq3({"info", directory / "card", "--json"}).out));
}

} // namespace
} // namespace ZQ3
