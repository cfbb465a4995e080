// Several zq3 processes on one card, on two cards sharing a temporary folder, and exporting into
// one folder at once: every run gets exactly what it would have got alone.

#include "tests/support/temporary_directory.h"
#include "tests/support/wav_fixture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ZQ3 {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

// Starts zq3 with arguments, TMPDIR set to temporary, output discarded; answers its process.
// Forked from the test's only thread, so the child may use the environment freely.
pid_t Start(const std::vector<std::string>& arguments, const std::string& temporary) {
    const pid_t child = ::fork();
    if (child == 0) {
        const int quiet = ::open("/dev/null", O_RDWR);
        ::dup2(quiet, 0);
        ::dup2(quiet, 1);
        ::dup2(quiet, 2);
        ::setenv("TMPDIR", temporary.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(ZQ3_CLI_PATH)};
        for (const auto& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(ZQ3_CLI_PATH, argv.data());
        ::_exit(127);
    }
    return child;
}

// Runs every command at once and answers their exit codes.
std::vector<int> RunTogether(const std::vector<std::vector<std::string>>& commands,
                             const std::string& temporary) {
    std::vector<pid_t> children;
    for (const auto& command : commands) {
        children.push_back(Start(command, temporary));
    }
    std::vector<int> codes;
    for (const pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        codes.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    }
    return codes;
}

int RunAlone(const std::vector<std::string>& command, const std::string& temporary) {
    return RunTogether({command}, temporary).front();
}

Files FilesIn(const std::string& directory) {
    Files files;
    for (const auto& entry : fs::directory_iterator(directory)) {
        files[entry.path().filename()] = Fixture::ReadFileBytes(entry.path());
    }
    return files;
}

class ConcurrentCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(shared);
        // A shared folder as /tmp is: anybody may create files there.
        fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
        for (int i = 0; i < 4; ++i) {
            Fixture::WriteTestWav(source(i), 1 + i % 2, 4000 + 160 * static_cast<unsigned>(i));
        }
    }

    std::string source(int i) const { return directory / ("source" + std::to_string(i) + ".wav"); }
    std::string cardDirectory(const std::string& card) const { return card + "/KELDRA/ZQ314"; }
    std::string makeCard(const std::string& name) const {
        const std::string card = directory / name;
        Fixture::MakeEmptyCard(card);
        return card;
    }

    Fixture::TemporaryDirectory directory;
    const std::string shared = directory / "shared";
};

TEST_F(ConcurrentCommandsTest, FourImportsOntoOneCardEndAsIfRunOneAfterAnother) {
    const std::string alone = makeCard("alone");
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(RunAlone({"import", alone, "E" + std::to_string(i), source(i)}, shared), 0);
    }
    const Files expected = FilesIn(cardDirectory(alone));
    ASSERT_EQ(expected.size(), 1u + 1 + 2 + 1 + 2);

    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string card = makeCard("together" + std::to_string(round));
        std::vector<std::vector<std::string>> imports;
        for (int i = 0; i < 4; ++i) {
            imports.push_back({"import", card, "E" + std::to_string(i), source(i)});
        }
        EXPECT_EQ(RunTogether(imports, shared), std::vector<int>(4, 0));
        EXPECT_EQ(FilesIn(cardDirectory(card)), expected);
        if (HasFailure()) {
            return;
        }
    }
    EXPECT_TRUE(fs::is_empty(shared));
}

TEST_F(ConcurrentCommandsTest, TwoCardsSharingATemporaryFolderKeepTheirOwnAudio) {
    const std::string firstAlone = makeCard("first alone");
    const std::string secondAlone = makeCard("second alone");
    ASSERT_EQ(RunAlone({"import", firstAlone, "D5", source(0)}, shared), 0);
    ASSERT_EQ(RunAlone({"import", secondAlone, "D5", source(2)}, shared), 0);

    for (int round = 0; round < 4; ++round) {
        const std::string first = makeCard("first" + std::to_string(round));
        const std::string second = makeCard("second" + std::to_string(round));
        EXPECT_EQ(
            RunTogether({{"import", first, "D5", source(0)}, {"import", second, "D5", source(2)}},
                        shared),
            (std::vector<int>{0, 0}));
        EXPECT_EQ(FilesIn(cardDirectory(first)), FilesIn(cardDirectory(firstAlone)));
        EXPECT_EQ(FilesIn(cardDirectory(second)), FilesIn(cardDirectory(secondAlone)));
    }
}

TEST_F(ConcurrentCommandsTest, FourExportsIntoOneFolderEachHoldTheirOwnPad) {
    const std::string card = makeCard("card");
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(RunAlone({"import", card, "F" + std::to_string(i), source(i)}, shared), 0);
    }
    const std::string alone = directory / "alone";
    fs::create_directories(alone);
    for (int i = 0; i < 4; ++i) {
        const std::string pad = "F" + std::to_string(i);
        ASSERT_EQ(RunAlone({"export", card, pad, alone + "/" + pad + ".wav"}, shared), 0);
    }

    for (int round = 0; round < 4; ++round) {
        const std::string together = directory / ("together" + std::to_string(round));
        fs::create_directories(together);
        std::vector<std::vector<std::string>> exports;
        for (int i = 0; i < 4; ++i) {
            const std::string pad = "F" + std::to_string(i);
            exports.push_back({"export", card, pad, together + "/" + pad + ".wav"});
        }
        EXPECT_EQ(RunTogether(exports, shared), std::vector<int>(4, 0));
        EXPECT_EQ(FilesIn(together), FilesIn(alone));
    }
}

TEST_F(ConcurrentCommandsTest, AnExportNeverReplacesAFifoOrADevice) {
    const std::string card = makeCard("card");
    ASSERT_EQ(RunAlone({"import", card, "C0", source(0)}, shared), 0);
    const std::string fifo = directory / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::vector<std::string> destinations{fifo};
    // A device of our own making, a copy of /dev/null, where the test may make one.
    const std::string device = directory / "null";
    if (::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0) {
        destinations.push_back(device);
    }
    for (const std::string& destination : destinations) {
        EXPECT_EQ(RunAlone({"export", card, "C0", destination, "--format", "wav"}, shared), 1)
            << destination;
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    if (destinations.size() > 1) {
        EXPECT_TRUE(fs::is_character_file(device));
    }
    for (const auto& entry : fs::directory_iterator(directory.path())) {
        EXPECT_NE(entry.path().filename().string().rfind("___ZQ3_", 0), 0u)
            << "left behind: " << entry.path();
    }
}

} // namespace
} // namespace ZQ3
