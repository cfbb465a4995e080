// The layers may only include downwards: a folder's files include their own folder and the
// folders below it, never one above. A front end sits on the core, and the core never learns
// that a front end exists.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace {

namespace fs = std::filesystem;

// Lowest first; folders of one rank do not include each other.
const std::map<std::string, int> LayerRanks{
    {"gt", 0},   {"platform", 1}, {"ul", 1},  {"sl", 2},
    {"card", 3}, {"app", 4},      {"cli", 5}, {"desktop", 5},
};

TEST(IncludeLayers, NoIncludeRunsFromALowerFolderToAHigherOne) {
    const char* sourceDirectory = std::getenv("ZQ3_SOURCE_DIR");
    ASSERT_NE(sourceDirectory, nullptr);
    const std::regex include(R"(^\s*#\s*include\s*"([a-z_]+)/)");
    int checked = 0;
    for (const auto& [layer, rank] : LayerRanks) {
        const fs::path folder = fs::path(sourceDirectory) / layer;
        if (!fs::is_directory(folder)) {
            continue;
        }
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            const std::string extension = entry.path().extension();
            if (extension != ".h" && extension != ".cpp") {
                continue;
            }
            std::ifstream file(entry.path());
            std::string line;
            while (std::getline(file, line)) {
                std::smatch match;
                if (!std::regex_search(line, match, include)) {
                    continue;
                }
                const std::string target = match[1];
                const auto targetRank = LayerRanks.find(target);
                ASSERT_NE(targetRank, LayerRanks.end())
                    << entry.path() << " includes from an unknown folder: " << line;
                EXPECT_TRUE(target == layer || targetRank->second < rank)
                    << entry.path() << " (" << layer << ") includes from " << target << ": "
                    << line;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 100) << "the source tree was not found";
}

} // namespace
