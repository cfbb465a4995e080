// Preparing a folder as a card on file systems without links or refusing renames, and with any
// one of its file-system calls failing.

#include "app/card_initialisation.h"
#include "card/card_layout.h"
#include "card/sample_information_dto.h"
#include "tests/support/card_command_fixture.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>

namespace ZQ3 {
namespace {

using Problem = CardInitialisation::Problem;

// A FAT card's file system: no hard links, and renames cannot refuse an existing name.
// whileWriting runs when a written file is flushed.
class CFatLikeFileSystem : public CPosixFileSystem {
public:
    int Rename(const std::string& oldPath, const std::string& newPath, unsigned flags) override {
        if (flags != 0) {
            errno = EINVAL;
            return -1;
        }
        return CPosixFileSystem::Rename(oldPath, newPath, 0);
    }
    int Fsync(int fd) override {
        if (whileWriting) {
            whileWriting();
        }
        return CPosixFileSystem::Fsync(fd);
    }
    int Link(const std::string&, const std::string&) override {
        errno = EPERM;
        return -1;
    }
    std::function<void()> whileWriting;
};

bool HoldsEmptyCard(const std::string& root) {
    return ReadSampleInformationFile(CardLayout::InformationFilePath(root)) ==
           std::vector<SampleEntry>(CardLayout::SlotCount);
}

TEST(CardInitialisation, WorksWithoutLinksOrRefusingRenames) {
    Fixture::TemporaryDirectory root;
    CFatLikeFileSystem fat;

    const CardInitialisation result = InitialiseCard(root.path(), {}, fat);

    EXPECT_EQ(result.problem, Problem::None) << result.text();
    EXPECT_EQ(result.path, CardLayout::InformationFilePath(root.path()));
    EXPECT_TRUE(HoldsEmptyCard(root.path()));
    EXPECT_EQ(Fixture::FileNames(CardLayout::CardDirectory(root.path())),
              std::vector<std::string>{"WVCINFO0.ZQD"});
    EXPECT_EQ(InitialiseCard(root.path(), {}, fat).problem, Problem::AlreadyACard);
}

TEST(CardInitialisation, NeverReplacesAnInformationFileThatAppearedMeanwhile) {
    Fixture::TemporaryDirectory root;
    CFatLikeFileSystem fat;
    const std::string information = CardLayout::InformationFilePath(root.path());
    fat.whileWriting = [&] { Fixture::WriteFileBytes(information, "theirs"); };

    const CardInitialisation result = InitialiseCard(root.path(), {}, fat);

    EXPECT_EQ(result.problem, Problem::AlreadyACard);
    EXPECT_EQ(Fixture::ReadFileBytes(information), "theirs");
    EXPECT_EQ(Fixture::FileNames(CardLayout::CardDirectory(root.path())),
              std::vector<std::string>{"WVCINFO0.ZQD"});
}

TEST(CardInitialisation, SomethingInTheWayOfTheWorkFileIsNamed) {
    Fixture::TemporaryDirectory root;
    const std::string work =
        CardLayout::CardDirectory(root.path()) + "___ZQ3_TEMPORARY_SAMPLE_INFORMATION_FILE___";
    std::filesystem::create_directories(work);

    const CardInitialisation result = InitialiseCard(root.path());

    EXPECT_EQ(result.problem, Problem::InTheWay);
    EXPECT_EQ(result.path, work);
    EXPECT_FALSE(std::filesystem::exists(CardLayout::InformationFilePath(root.path())));
}

// Whichever call fails, the folder ends with no information file or a whole one, and a failure
// is reported as such.
TEST(CardInitialisation, AnyFailingCallLeavesNoCardOrAWholeOne) {
    Testing::CFaultyFileSystem faulty;
    {
        Fixture::TemporaryDirectory root;
        faulty.countOnly();
        ASSERT_EQ(InitialiseCard(root.path(), {}, faulty).problem, Problem::None);
    }
    const int calls = faulty.calls();
    ASSERT_GT(calls, 5);
    for (int call = 1; call <= calls; ++call) {
        SCOPED_TRACE("call " + std::to_string(call));
        Fixture::TemporaryDirectory root;
        faulty.failCall(call, EIO);
        const CardInitialisation result = InitialiseCard(root.path(), {}, faulty);
        const std::string information = CardLayout::InformationFilePath(root.path());
        if (result.problem == Problem::None) {
            EXPECT_TRUE(HoldsEmptyCard(root.path()));
        } else {
            EXPECT_FALSE(result.text().empty());
            EXPECT_TRUE(!std::filesystem::exists(information) || HoldsEmptyCard(root.path()));
        }
    }
}

} // namespace
} // namespace ZQ3
