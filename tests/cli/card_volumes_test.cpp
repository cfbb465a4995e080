// The card commands on the file systems the sampler's cards carry, mounted through FUSE: exFAT
// and FAT32 know no links, exFAT's driver cannot refuse an existing name in a rename, FAT32's
// reports no size at all, and both hand out room in clusters of many kilobytes.

#include "card/card_layout.h"
#include "tests/cli/run_zq3.h"
#include "tests/support/fuse_volume.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wav_fixture.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <sys/statvfs.h>
#include <thread>

namespace ZQ3 {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;
using Fixture::CFuseVolume;
using Fixture::RunZq3;

constexpr std::uint64_t MiB = 1024 * 1024;

Files CardFiles(const std::string& root) {
    Files files;
    for (const auto& entry : fs::directory_iterator(CardLayout::CardDirectory(root))) {
        files[entry.path().filename()] = Fixture::ReadFileBytes(entry.path());
    }
    return files;
}

class CardVolumeTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 4; ++i) {
            Fixture::WriteTestWav(source(i), 1 + i % 2, 6000 + 1000 * static_cast<unsigned>(i));
        }
    }

    std::string source(int i) const { return directory / ("source" + std::to_string(i) + ".wav"); }

    // Runs zq3 and expects the exit code; answers what it printed.
    Fixture::CommandResult expect(int exitCode, const std::vector<std::string>& arguments) {
        Fixture::CommandResult result = RunZq3(arguments);
        EXPECT_EQ(result.exitCode, exitCode) << arguments[0] << ": " << result.err;
        return result;
    }

    // init, imports, a delete and an export on root, which must all succeed; answers the card's
    // files and the export's bytes.
    std::pair<Files, std::string> runEveryCommand(const std::string& root, const std::string& wav) {
        fs::create_directories(root);
        expect(0, {"init", root});
        expect(1, {"init", root});
        expect(0, {"import", root, "D0", source(0)});
        expect(0, {"import", root, "D1", source(1)});
        expect(0, {"import", root, "D0", source(2), "--yes"});
        expect(0, {"delete", root, "D1", "--yes"});
        expect(0, {"import", root, "E0", source(3)});
        expect(0, {"export", root, "E0", wav});
        return {CardFiles(root), Fixture::ReadFileBytes(wav)};
    }

    Fixture::TemporaryDirectory directory;
};

TEST_F(CardVolumeTest, EveryCommandOnExFatGivesWhatItGivesOnAnyFolder) {
    Fixture::TemporaryDirectory images;
    CFuseVolume volume(CFuseVolume::Kind::ExFat, images.path(), 64 * MiB);
    ZQ3_MOUNT_OR_SKIP(volume);

    const auto expected = runEveryCommand(directory / "reference", directory / "reference.wav");
    const auto got = runEveryCommand(volume.mountPoint(), directory / "exfat.wav");
    EXPECT_EQ(got, expected);
    EXPECT_EQ(got.first.size(), 1u + 1 + 2);

    const auto info = expect(0, {"info", volume.mountPoint(), "--json"});
    const auto at = info.out.find(",\"freeBytes\":");
    ASSERT_NE(at, std::string::npos);
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(info.out[at + 13])))
        << info.out.substr(0, 200);
}

TEST_F(CardVolumeTest, AnExFatCardMountedReadOnlySaysSoAndStaysAsItWas) {
    Fixture::TemporaryDirectory images;
    CFuseVolume volume(CFuseVolume::Kind::ExFat, images.path(), 64 * MiB);
    ZQ3_MOUNT_OR_SKIP(volume);
    const std::string root = volume.mountPoint();
    expect(0, {"init", root});
    expect(0, {"import", root, "D0", source(0)});
    const Files before = CardFiles(root);
    // The same card as its write-protect switch leaves it: mounted read-only. An import onto the
    // occupied pad is refused for that before any question.
    std::string output;
    ASSERT_EQ(Fixture::RunProgram({"mount", "-o", "remount,bind,ro", root}, output), 0) << output;

    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"import", root, "D0", source(1)},
          std::vector<std::string>{"delete", root, "D0", "--yes"}}) {
        const auto result = expect(1, arguments);
        EXPECT_NE(result.err.find(root + ": the card is read-only"), std::string::npos)
            << result.err;
        EXPECT_NE(result.err.find("write-protect"), std::string::npos) << result.err;
    }
    EXPECT_EQ(CardFiles(root), before);
    EXPECT_EQ(Fixture::RunProgram({"mount", "-o", "remount,bind,rw", root}, output), 0) << output;
}

TEST_F(CardVolumeTest, EveryCommandOnFat32WorksAlthoughItsFreeSpaceIsUnknown) {
    Fixture::TemporaryDirectory images;
    CFuseVolume volume(CFuseVolume::Kind::Fat32, images.path(), 64 * MiB);
    ZQ3_MOUNT_OR_SKIP(volume);
    struct statvfs reported {};
    ASSERT_EQ(::statvfs(volume.mountPoint().c_str(), &reported), 0);

    const auto expected = runEveryCommand(directory / "reference", directory / "reference.wav");
    const auto got = runEveryCommand(volume.mountPoint(), directory / "fat32.wav");
    EXPECT_EQ(got, expected);

    if (reported.f_blocks == 0) {
        const auto json = expect(0, {"info", volume.mountPoint(), "--json"});
        EXPECT_NE(json.out.find(",\"freeBytes\":null,\"secondsLeftMono\":null,"
                                "\"secondsLeftStereo\":null,"),
                  std::string::npos)
            << json.out.substr(0, 200);
        const auto text = expect(0, {"info", volume.mountPoint()});
        EXPECT_EQ(text.out.rfind("Card " + volume.mountPoint() + ": free space unknown\n", 0), 0u);
    }
}

TEST_F(CardVolumeTest, FourImportsTogetherOnExFatEndAsIfRunOneAfterAnother) {
    Fixture::TemporaryDirectory images;
    CFuseVolume volume(CFuseVolume::Kind::ExFat, images.path(), 64 * MiB);
    ZQ3_MOUNT_OR_SKIP(volume);
    const std::string alone = directory / "alone";
    fs::create_directory(alone);
    expect(0, {"init", alone});
    for (int i = 0; i < 4; ++i) {
        expect(0, {"import", alone, "F" + std::to_string(i), source(i)});
    }

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string card = volume.mountPoint() + "/card" + std::to_string(round);
        fs::create_directory(card);
        expect(0, {"init", card});
        std::vector<std::unique_ptr<Fixture::Zq3Process>> imports;
        for (int i = 0; i < 4; ++i) {
            imports.push_back(std::make_unique<Fixture::Zq3Process>(
                std::vector<std::string>{"import", card, "F" + std::to_string(i), source(i)}));
        }
        for (auto& import : imports) {
            const auto result = import->finish();
            EXPECT_EQ(result.exitCode, 0) << result.err;
        }
        EXPECT_EQ(CardFiles(card), CardFiles(alone));
    }
}

// zq3 killed at moments spread over an import: after the next command opens the card, the card
// holds exactly what it held before or what the import makes, and nothing of the converter's own.
TEST_F(CardVolumeTest, AnImportKilledAtAnyMomentOnExFatLeavesTheCardOldOrNew) {
    Fixture::TemporaryDirectory images;
    CFuseVolume volume(CFuseVolume::Kind::ExFat, images.path(), 64 * MiB);
    ZQ3_MOUNT_OR_SKIP(volume);
    const std::string stereo = directory / "stereo.wav";
    Fixture::WriteTestWav(stereo, 2, 441000);
    const std::string reference = directory / "reference";
    fs::create_directory(reference);
    expect(0, {"init", reference});
    expect(0, {"import", reference, "C3", source(0)});
    const Files before = CardFiles(reference);

    // How long a whole import takes here, to spread the kills over it.
    const auto started = std::chrono::steady_clock::now();
    expect(0, {"import", reference, "C3", stereo, "--yes"});
    const auto whole = std::chrono::steady_clock::now() - started;
    const Files after = CardFiles(reference);

    // The last round is not killed: the import must then have made the new card.
    constexpr int Rounds = 20;
    for (int round = 0; round < Rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string card = volume.mountPoint() + "/card" + std::to_string(round);
        fs::create_directory(card);
        expect(0, {"init", card});
        expect(0, {"import", card, "C3", source(0)});

        Fixture::Zq3Process import({"import", card, "C3", stereo, "--yes"});
        const bool kill = round < Rounds - 1;
        if (kill) {
            std::this_thread::sleep_for(whole * round / (Rounds - 1));
            import.signal(SIGKILL);
        }
        const auto result = import.finish();
        EXPECT_TRUE(kill || result.exitCode == 0) << result.err;

        expect(0, {"info", card});
        const Files now = CardFiles(card);
        EXPECT_TRUE(now == before || now == after);
        EXPECT_TRUE(kill || now == after);
        if (HasFailure()) {
            return;
        }
    }
}

TEST_F(CardVolumeTest, ABatchThatFitsOnlyUnroundedIsRefusedOnExFatClustersBeforeWriting) {
    Fixture::TemporaryDirectory images;
    constexpr std::uint64_t Cluster = 64 * 1024;
    CFuseVolume volume(CFuseVolume::Kind::ExFat, images.path(), 16 * MiB, Cluster);
    ZQ3_MOUNT_OR_SKIP(volume);
    const std::string card = volume.mountPoint();
    expect(0, {"init", card});
    const std::string kit = directory / "kit";
    fs::create_directory(kit);
    for (int i = 0; i < 16; ++i) {
        Fixture::WriteTestWav(kit + "/" + std::string(1, static_cast<char>('a' + i)) + ".wav", 1,
                              4100);
    }
    // Ten clusters left: more than sixteen files of 4112 bytes, the information file and the
    // journal (72832 bytes), far less than the sixteen clusters the channel files take alone.
    struct statvfs reported {};
    ASSERT_EQ(::statvfs(card.c_str(), &reported), 0);
    ASSERT_EQ(reported.f_frsize, Cluster);
    const std::uint64_t free = std::uint64_t{reported.f_bavail} * reported.f_frsize;
    Fixture::WriteFileBytes(card + "/filler", std::string(free - 10 * Cluster, 'f'));
    ASSERT_EQ(::statvfs(card.c_str(), &reported), 0);
    ASSERT_EQ(std::uint64_t{reported.f_bavail} * reported.f_frsize, 10 * Cluster);
    const Files before = CardFiles(card);

    const auto result = expect(1, {"import", card, "C0", kit});
    EXPECT_NE(result.err.find("Insufficient space on the save-destination memory card."),
              std::string::npos)
        << result.err;
    EXPECT_EQ(CardFiles(card), before);
}

} // namespace
} // namespace ZQ3
