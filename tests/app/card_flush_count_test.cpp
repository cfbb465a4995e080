// A change of the card costs the same few flushes whatever the number of its files, and on a file
// system whose whole-volume flush may not reach the device every staged file is flushed itself,
// always before the journal that commits the change.

#include "card/temporary_names.h"
#include "tests/support/card_command_fixture.h"
#include "tests/support/faulty_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/statfs.h>

namespace ZQ3 {
namespace {

constexpr decltype(statfs::f_type) FuseSuperMagic = 0x65735546;

// Passes everything on, but says of every volume that it is a FUSE file system.
class CFuseLookingFileSystem : public Testing::CFaultyFileSystem {
public:
    int Fstatfs(int fd, struct statfs& volume) override {
        const int result = CFaultyFileSystem::Fstatfs(fd, volume);
        volume.f_type = FuseSuperMagic;
        return result;
    }
};

class CardFlushCountTest : public Fixture::CardCommandTest {
protected:
    struct Flushes {
        long fsyncs = 0;
        long syncfs = 0;
        // Of the calls before the journal is created.
        long fsyncsBeforeJournal = 0;
        long syncfsBeforeJournal = 0;
        long total() const { return fsyncs + syncfs; }
    };

    // Imports files mono sources onto the first pads through fs and counts its flushes.
    Flushes Import(int files, Testing::CFaultyFileSystem& fs) {
        std::filesystem::remove_all(root);
        LoadEmptyCard();
        std::vector<ImportItem> items;
        for (int i = 0; i < files; ++i) {
            const std::string source = directory / ("source" + std::to_string(i) + ".wav");
            Fixture::WriteSamplesFile(source,
                                      Fixture::TestSignal(1, 3200, 1u + static_cast<unsigned>(i)),
                                      1, CardLayout::FileFormatWave);
            items.push_back({source, i});
        }
        fs.countOnly();
        controller().setFileSystem(fs);
        EXPECT_EQ(controller().importFiles(items), CommandOutcome::Succeeded);
        controller().setFileSystem(PosixFileSystem());

        const auto& log = fs.log();
        // The journal is created by the last open of its name; recovery opens it first to read.
        const std::string openJournal = "open " + CardDirectory() + TemporaryNames::JournalFile;
        const auto journal = std::find(log.rbegin(), log.rend(), openJournal).base();
        EXPECT_NE(journal, log.begin());
        Flushes counted;
        counted.fsyncs = std::count(log.begin(), log.end(), "fsync");
        counted.syncfs = std::count(log.begin(), log.end(), "syncfs");
        counted.fsyncsBeforeJournal = std::count(log.begin(), journal, "fsync");
        counted.syncfsBeforeJournal = std::count(log.begin(), journal, "syncfs");
        return counted;
    }

    bool OnFuse() const {
        struct statfs volume {};
        return ::statfs(directory.path().c_str(), &volume) == 0 && volume.f_type == FuseSuperMagic;
    }
};

TEST_F(CardFlushCountTest, SixteenFilesCostNoMoreFlushesThanOne) {
    if (OnFuse()) {
        GTEST_SKIP() << "the test folder is on a FUSE file system, where every file is flushed";
    }
    Testing::CFaultyFileSystem fs;
    const Flushes one = Import(1, fs);
    const Flushes sixteen = Import(16, fs);
    EXPECT_EQ(sixteen.total(), one.total());
    EXPECT_LE(sixteen.total(), 8);
    // The staged files are made durable together, before the journal.
    EXPECT_EQ(sixteen.syncfsBeforeJournal, 1);
    EXPECT_EQ(sixteen.syncfs, 1);
}

TEST_F(CardFlushCountTest, OnFuseEveryStagedFileIsFlushedBeforeTheJournal) {
    CFuseLookingFileSystem fs;
    const Flushes sixteen = Import(16, fs);
    EXPECT_EQ(sixteen.syncfs, 0);
    // Sixteen channel files, the information file and the card folder.
    EXPECT_GE(sixteen.fsyncsBeforeJournal, 16 + 1 + 1);
}

} // namespace
} // namespace ZQ3
