// Before a change commits, every file it staged is read back from the card and compared with
// what was written: a card or reader that corrupts data abandons the change, naming the file.

#include "card/temporary_names.h"
#include "tests/support/card_command_fixture.h"
#include "tests/support/faulty_file_system.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <set>

namespace ZQ3 {
namespace {

// Flips the first byte of every read from a staged channel file opened for reading: a device
// that gives back other bytes than it was given.
class CCorruptingFileSystem : public Testing::CFaultyFileSystem {
public:
    int Open(const std::string& path, int flags, mode_t mode) override {
        const int fd = CFaultyFileSystem::Open(path, flags, mode);
        if (fd >= 0 && (flags & O_ACCMODE) == O_RDONLY &&
            path.find(TemporaryNames::SampleFile) != std::string::npos) {
            corrupted_.insert(fd);
        }
        return fd;
    }
    int Close(int fd) override {
        corrupted_.erase(fd);
        return CFaultyFileSystem::Close(fd);
    }
    ssize_t Read(int fd, void* data, std::size_t size) override {
        const ssize_t got = CFaultyFileSystem::Read(fd, data, size);
        if (got > 0 && corrupted_.count(fd) != 0) {
            static_cast<unsigned char*>(data)[0] ^= 0x01;
        }
        return got;
    }

private:
    std::set<int> corrupted_;
};

class CardReadBackTest : public Fixture::CardCommandTest {};

TEST_F(CardReadBackTest, ACorruptedCopyAbandonsTheChangeNamingTheFile) {
    LoadEmptyCard();
    const std::string source = directory / "source.wav";
    Fixture::WriteSamplesFile(source, Fixture::TestSignal(2, 3200), 2, CardLayout::FileFormatWave);
    const std::string cardBefore = InformationBytes();

    CCorruptingFileSystem fs;
    controller().setFileSystem(fs);
    EXPECT_EQ(controller().importFiles({{source, 0}}), CommandOutcome::Failed);
    controller().setFileSystem(PosixFileSystem());

    EXPECT_EQ(InformationBytes(), cardBefore);
    EXPECT_EQ(Fixture::FileNames(CardDirectory()),
              std::vector<std::string>{CardLayout::InformationFileName});
    ASSERT_FALSE(Texts().empty());
    EXPECT_NE(Texts().back().find(TemporaryNames::SampleFile), std::string::npos) << Texts().back();
    EXPECT_NE(Texts().back().find("differs from what was written"), std::string::npos);
}

TEST_F(CardReadBackTest, TurnedOffTheCopyIsNotReadBack) {
    LoadEmptyCard();
    const std::string source = directory / "source.wav";
    Fixture::WriteSamplesFile(source, Fixture::TestSignal(1, 3200), 1, CardLayout::FileFormatWave);

    CCorruptingFileSystem fs;
    controller().setFileSystem(fs);
    controller().setReadBack(false);
    EXPECT_EQ(controller().importFiles({{source, 0}}), CommandOutcome::Succeeded);
    controller().setFileSystem(PosixFileSystem());
}

} // namespace
} // namespace ZQ3
