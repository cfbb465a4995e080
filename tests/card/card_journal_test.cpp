// The journal that commits a change of the card: only a whole, unaltered journal that names the
// converter's own files is carried out, and carrying it out again changes nothing.

#include "card/card_journal.h"
#include "card/card_layout.h"
#include "card/card_lock.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ZQ3 {
namespace {

using Fixture::ReadFileBytes;
using Fixture::TemporaryDirectory;
using Fixture::WriteFileBytes;
namespace fs = std::filesystem;

const std::vector<JournalStep> ImportSteps{
    JournalStep::Renaming("___ZQ3_TEMPORARY_SAMPLE_FILE___", "SMP0015L.ZQD"),
    JournalStep::Removing("SMP0015R.ZQD"),
    JournalStep::Renaming("___ZQ3_TEMPORARY_SAMPLE_INFORMATION_FILE___", "WVCINFO0.ZQD"),
};

TEST(CardJournal, OnlyAWholeUnalteredJournalParses) {
    const std::string bytes = CardJournal::Serialize(ImportSteps);
    EXPECT_EQ(CardJournal::Parse(bytes), ImportSteps);
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        EXPECT_FALSE(CardJournal::Parse(bytes.substr(0, length))) << length;
    }
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        std::string altered = bytes;
        altered[at] = static_cast<char>(altered[at] ^ 0x20);
        EXPECT_FALSE(CardJournal::Parse(altered)) << at;
    }
}

// The largest change there is: a stereo batch onto every pad of the card, under the batch's own
// work names. Its journal must read back, or a crash while it is carried out leaves a card that
// is half old and half new.
TEST(CardJournal, TheJournalOfAWholeCardStereoBatchReadsBack) {
    std::vector<JournalStep> steps;
    for (int slot = 0; slot < CardLayout::SlotCount; ++slot) {
        const std::string work =
            "___ZQ3_TEMPORARY_SAMPLE_FILE___" + CardLayout::SlotFileStem(slot).substr(3) + "_";
        steps.push_back(JournalStep::Renaming(work + "0", CardLayout::LeftFileName(slot)));
        steps.push_back(JournalStep::Renaming(work + "1", CardLayout::RightFileName(slot)));
    }
    steps.push_back(
        JournalStep::Renaming("___ZQ3_TEMPORARY_SAMPLE_INFORMATION_FILE___", "WVCINFO0.ZQD"));
    EXPECT_LE(CardJournal::Serialize(steps).size(), CardLayout::LargestJournalBytes);

    TemporaryDirectory directory;
    ASSERT_TRUE(CardJournal::Write(directory.path(), steps, PosixFileSystem()));
    std::vector<JournalStep> read;
    ASSERT_EQ(CardJournal::Read(directory.path(), read, PosixFileSystem()),
              CardJournal::ReadResult::Valid);
    EXPECT_EQ(read, steps);
}

TEST(CardJournal, AForgedJournalMayTouchNothingButTheConvertersOwnFiles) {
    const std::vector<std::vector<JournalStep>> forged{
        {JournalStep::Renaming("___ZQ3_TEMPORARY_SAMPLE_FILE___", "../../etc/passwd")},
        {JournalStep::Renaming("../precious", "SMP0015L.ZQD")},
        {JournalStep::Renaming("SMP0001L.ZQD", "SMP0015L.ZQD")},
        {JournalStep::Renaming("___ZQ3_TEMPORARY_SAMPLE_FILE___", "SMP0080L.ZQD")},
        {JournalStep::Removing("WVCINFO0.ZQD")},
        {JournalStep::Removing("/SMP0015L.ZQD")},
        {JournalStep::Renaming("___ZQ3_TEMPORARY_SAMPLE_FILE___", "___ZQ3_JOURNAL___")},
    };
    for (const auto& steps : forged) {
        EXPECT_FALSE(CardJournal::Parse(CardJournal::Serialize(steps)))
            << CardJournal::Serialize(steps);
    }
}

TEST(CardJournal, ApplyingTwiceOrAfterAnInterruptedRunGivesTheSameCard) {
    TemporaryDirectory dir;
    const std::string card = dir.path() + "/";
    WriteFileBytes(card + "SMP0015L.ZQD", "old left");
    WriteFileBytes(card + "SMP0015R.ZQD", "old right");
    WriteFileBytes(card + "WVCINFO0.ZQD", "old records");
    WriteFileBytes(card + "___ZQ3_TEMPORARY_SAMPLE_FILE___", "new left");
    WriteFileBytes(card + "___ZQ3_TEMPORARY_SAMPLE_INFORMATION_FILE___", "new records");
    ASSERT_TRUE(CardJournal::Write(card, ImportSteps, PosixFileSystem()));
    std::vector<JournalStep> read;
    ASSERT_EQ(CardJournal::Read(card, read, PosixFileSystem()), CardJournal::ReadResult::Valid);
    EXPECT_EQ(read, ImportSteps);

    // As if a first run died after its first rename.
    fs::rename(card + "___ZQ3_TEMPORARY_SAMPLE_FILE___", card + "SMP0015L.ZQD");
    ASSERT_TRUE(CardJournal::Apply(card, read, PosixFileSystem()));
    ASSERT_TRUE(CardJournal::Apply(card, read, PosixFileSystem()));

    EXPECT_EQ(ReadFileBytes(card + "SMP0015L.ZQD"), "new left");
    EXPECT_EQ(ReadFileBytes(card + "WVCINFO0.ZQD"), "new records");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(card)) {
        names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"SMP0015L.ZQD", "WVCINFO0.ZQD"}));
}

TEST(CardLock, ASecondHolderWaitsSaysSoOnceAndGivesUpOrIsCancelled) {
    TemporaryDirectory dir;
    fs::create_directories(CardLayout::CardDirectory(dir.path()));
    CCardLock first;
    ASSERT_EQ(first.acquire(dir.path()), CCardLock::Result::Locked);

    int notices = 0;
    CardLockWaiting waiting;
    waiting.onWait = [&] { ++notices; };
    waiting.timeout = std::chrono::milliseconds(200);
    CCardLock second;
    EXPECT_EQ(second.acquire(dir.path(), waiting), CCardLock::Result::Busy);
    EXPECT_EQ(notices, 1);
    waiting.isCancelled = [] { return true; };
    EXPECT_EQ(second.acquire(dir.path(), waiting), CCardLock::Result::Cancelled);

    first.release();
    EXPECT_EQ(second.acquire(dir.path(), waiting), CCardLock::Result::Locked);
    EXPECT_EQ(notices, 2);
    EXPECT_EQ(CCardLock().acquire(dir.path() + "/missing"), CCardLock::Result::Failed);
}

} // namespace
} // namespace ZQ3
