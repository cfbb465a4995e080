#include "fuzz/fuzz_entries.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

// Every file of every corpus, including the inputs that once made a reader fail, replayed
// through the fuzz targets' own code. Under the sanitizer build this is where a regression
// shows up as a report.
TEST(FuzzCorpus, EveryFileReadsSafely) {
    const char* source = std::getenv("ZQ3_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::filesystem::path corpus = std::filesystem::path(source) / "fuzz" / "corpus";
    const std::map<std::string, std::function<void(const std::uint8_t*, std::size_t)>> targets = {
        {"riff_wave", ZQ3Fuzz::ReadRiffWave},
        {"form_aiff", ZQ3Fuzz::ReadFormAiff},
        {"wave_loader", ZQ3Fuzz::LoadWave},
        {"sample_information", ZQ3Fuzz::ReadSampleInformation},
    };
    std::size_t replayed = 0;
    for (const auto& [name, entry] : targets) {
        const std::filesystem::path directory = corpus / name;
        ASSERT_TRUE(std::filesystem::is_directory(directory)) << directory;
        for (const auto& file : std::filesystem::directory_iterator(directory)) {
            std::ifstream input(file.path(), std::ios::binary);
            const std::vector<char> bytes{std::istreambuf_iterator<char>(input), {}};
            SCOPED_TRACE(file.path().string());
            entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            ++replayed;
        }
    }
    // The committed seeds alone are well over this; an empty corpus means a broken checkout.
    EXPECT_GE(replayed, 20u);
}

} // namespace
