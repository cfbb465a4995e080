#include "card/card_history.h"

#include "card/card_layout.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ZQ3 {
namespace {

using Fixture::TemporaryDirectory;

// Records one change of name whose new content is bytes, kept from the file at source.
void RecordChange(CCardHistory& history, const std::string& source, const std::string& bytes,
                  const std::string& text) {
    Fixture::WriteFileBytes(source, bytes);
    auto recording = history.record({text, {}});
    ASSERT_TRUE(recording);
    ASSERT_TRUE(recording->addBefore(CardLayout::InformationFileName, source + ".absent",
                                     PosixFileSystem()));
    ASSERT_TRUE(recording->addAfter(CardLayout::InformationFileName, source, PosixFileSystem()));
    ASSERT_TRUE(recording->flush());
    ASSERT_TRUE(recording->complete());
}

std::vector<std::string> Texts(const CCardHistory& history) {
    std::vector<std::string> texts;
    for (const HistoryEntry& entry : history.entries()) {
        texts.push_back(entry.description.text);
    }
    return texts;
}

TEST(CardHistoryTest, KeepsEachFileWithItsDigestsAndDropsTheOldestBeyondTheBound) {
    TemporaryDirectory directory;
    // Room for two entries of 1000 bytes and their manifests, not three.
    CCardHistory history(directory / "home", "card", 2600);
    RecordChange(history, directory / "a", std::string(1000, 'a'), "first");
    RecordChange(history, directory / "b", std::string(1000, 'b'), "second");
    ASSERT_EQ(Texts(history), (std::vector<std::string>{"first", "second"}));
    const HistoryEntry second = history.entries().back();
    ASSERT_EQ(second.files.size(), 1u);
    EXPECT_FALSE(second.files[0].before.present);
    EXPECT_EQ(second.files[0].after.bytes, 1000u);
    CardFileState kept;
    ASSERT_TRUE(ReadCardFileState(history.afterCopy(second, CardLayout::InformationFileName), kept,
                                  PosixFileSystem()));
    EXPECT_EQ(kept, second.files[0].after);
    EXPECT_EQ(std::filesystem::status(directory / "home").permissions(),
              std::filesystem::perms::owner_all);

    // The bound counts every card's entries: another card's new one pushes out the oldest.
    CCardHistory other(directory / "home", "other", 2600);
    RecordChange(other, directory / "c", std::string(1000, 'c'), "third");
    EXPECT_EQ(Texts(history), std::vector<std::string>{"second"});
    EXPECT_EQ(Texts(other), std::vector<std::string>{"third"});
}

TEST(CardHistoryTest, AnEntryNotCompletedDoesNotCountAndANewChangeEndsWhatCouldBeRedone) {
    TemporaryDirectory directory;
    CCardHistory history(directory / "home", "card", CCardHistory::DefaultLimit);
    RecordChange(history, directory / "a", "a", "kept");
    {
        auto torn = history.record({"torn", {}});
        ASSERT_TRUE(torn);
        ASSERT_TRUE(
            torn->addAfter(CardLayout::InformationFileName, directory / "a", PosixFileSystem()));
        ASSERT_TRUE(torn->flush());
    }
    EXPECT_EQ(Texts(history), std::vector<std::string>{"kept"});

    ASSERT_TRUE(history.markUndone(history.entries().back(), true));
    EXPECT_TRUE(history.entries().back().undone);
    RecordChange(history, directory / "b", "b", "new");
    EXPECT_EQ(Texts(history), std::vector<std::string>{"new"});
}

TEST(CardHistoryTest, ACardIsKnownByItsFileSystemsUuidElseByItsPath) {
    TemporaryDirectory directory;
    const std::string mountPoint = directory / "mnt card";
    std::filesystem::create_directories(mountPoint + "/sub");
    const std::string device = directory / "sdz1";
    Fixture::WriteFileBytes(device, "");
    std::filesystem::create_directories(directory / "by-uuid");
    std::filesystem::create_symlink(device, directory / "by-uuid/1A2B-3C4D");
    // The mount table escapes the space in the mount point.
    std::string escaped = mountPoint;
    escaped.replace(escaped.find(' '), 1, "\\040");
    const std::string mountInfo = "22 1 0:21 / / rw - ext4 /dev/root rw\n"
                                  "98 22 8:33 / " +
                                  escaped + " rw,nosuid - vfat " + device + " rw\n";

    // Wherever the card is mounted, it is the same card.
    EXPECT_EQ(CardHistoryKey(mountPoint, mountInfo, directory / "by-uuid"), "uuid-1A2B-3C4D");
    // A folder below the root of a file system is one of many on it.
    const std::string folder =
        CardHistoryKey(mountPoint + "/sub", mountInfo, directory / "by-uuid");
    EXPECT_EQ(folder.rfind("uuid-1A2B-3C4D-", 0), 0u) << folder;
    EXPECT_EQ(folder.find('/'), std::string::npos);
    // A card on a file system without a UUID: its path, as one folder name.
    const std::string key = CardHistoryKey(directory / "plain", mountInfo, directory / "by-uuid");
    EXPECT_EQ(key.rfind("path-", 0), 0u);
    EXPECT_EQ(key.find('/'), std::string::npos);
    EXPECT_NE(key, CardHistoryKey(directory / "plain2", mountInfo, directory / "by-uuid"));
}

} // namespace
} // namespace ZQ3
