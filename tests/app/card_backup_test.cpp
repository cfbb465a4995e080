// A backup holds the card folder's files byte for byte; a restore checks every one of them
// before it writes anything and then makes the card equal to the backup in one change.

#include "app/card_backup.h"
#include "app/card_backup_text.h"
#include "card/card_layout.h"
#include "tests/support/card_command_fixture.h"
#include "tests/support/faulty_file_system.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>

namespace ZQ3 {
namespace {

using Problem = CardBackupResult::Problem;

// One entry of a tar archive as a test sees it.
struct TarEntry {
    std::string name;
    std::string data;
    // Empty for a regular file; the target of a symbolic link otherwise.
    std::string linkTarget;
};

std::vector<TarEntry> ReadTar(const std::string& path) {
    std::vector<TarEntry> entries;
    archive* reader = archive_read_new();
    archive_read_support_format_tar(reader);
    EXPECT_EQ(archive_read_open_filename(reader, path.c_str(), 10240), ARCHIVE_OK);
    archive_entry* entry = nullptr;
    while (archive_read_next_header(reader, &entry) == ARCHIVE_OK) {
        TarEntry read{archive_entry_pathname(entry), std::string(), std::string()};
        read.data.resize(static_cast<std::size_t>(archive_entry_size(entry)));
        archive_read_data(reader, read.data.data(), read.data.size());
        entries.push_back(std::move(read));
    }
    archive_read_free(reader);
    return entries;
}

void WriteTar(const std::string& path, const std::vector<TarEntry>& entries) {
    std::filesystem::remove(path);
    archive* writer = archive_write_new();
    archive_write_set_format_pax_restricted(writer);
    ASSERT_EQ(archive_write_open_filename(writer, path.c_str()), ARCHIVE_OK);
    for (const TarEntry& item : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, item.name.c_str());
        archive_entry_set_perm(entry, 0644);
        if (item.linkTarget.empty()) {
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_size(entry, static_cast<la_int64_t>(item.data.size()));
        } else {
            archive_entry_set_filetype(entry, AE_IFLNK);
            archive_entry_set_symlink(entry, item.linkTarget.c_str());
        }
        archive_write_header(writer, entry);
        archive_write_data(writer, item.data.data(), item.data.size());
        archive_entry_free(entry);
    }
    archive_write_free(writer);
}

class CardBackupTest : public Fixture::CardCommandTest {
protected:
    CardBackupTest() {
        LoadEmptyCard();
        PutSample(0, 1, 3300, 3);
        PutSample(5, 2, 5000, 4);
        PutSample(15, 1, 40000, 5);
        archive = directory / "card.tar";
    }

    CardBackupResult BackUp(CardBackupOptions options = {}) {
        options.progress = &NextProgress();
        return BackUpCard(root, archive, options);
    }
    CardBackupResult Restore(const std::string& from, IFileSystem& fs = PosixFileSystem()) {
        CardBackupOptions options;
        options.progress = &NextProgress();
        return RestoreCard(root, from, options, fs);
    }

    std::map<std::string, std::string> CardFiles() const { return Fixture::FilesBelow(root); }

    std::string archive;
};

TEST_F(CardBackupTest, BackupThenWipeThenRestoreGivesTheCardByteForByte) {
    const auto before = CardFiles();
    const CardBackupResult backup = BackUp();
    ASSERT_EQ(backup.problem, Problem::None) << CardBackupProblemText(backup);
    EXPECT_EQ(backup.files, 5);
    // The temporary name the archive was written under is gone.
    for (const std::string& name : Fixture::FileNames(directory.path())) {
        EXPECT_EQ(name.rfind("___ZQ3_", 0), std::string::npos) << name;
    }

    for (const int pad : {0, 5, 15}) {
        ASSERT_EQ(controller().deletePad(pad), CommandOutcome::Succeeded);
    }
    ASSERT_NE(CardFiles(), before);
    const CardBackupResult restore = Restore(archive);
    ASSERT_EQ(restore.problem, Problem::None) << CardBackupProblemText(restore);
    EXPECT_TRUE(CardFiles() == before);
    EXPECT_EQ(progress->getPosition(), progress->getRange());
}

TEST_F(CardBackupTest, RestoreOntoACardInAnotherStateRemovesWhatTheBackupLacks) {
    const auto before = CardFiles();
    ASSERT_EQ(BackUp().problem, Problem::None);
    PutSample(3, 2, 4000, 8);
    PutSample(5, 1, 3200, 9);
    ASSERT_NE(CardFiles(), before);
    // A converter file no record uses goes too; files that are not the converter's stay.
    Fixture::WriteFileBytes(CardDirectory() + "SMP007FL.ZQD", "orphan");
    Fixture::WriteFileBytes(root + "/notes.txt", "mine");
    const CardBackupResult restore = Restore(archive);
    ASSERT_EQ(restore.problem, Problem::None) << CardBackupProblemText(restore);
    auto expected = before;
    expected["notes.txt"] = "mine";
    EXPECT_TRUE(CardFiles() == expected);
}

TEST_F(CardBackupTest, ADamagedOrForeignBackupIsRefusedBeforeAnythingIsWritten) {
    ASSERT_EQ(BackUp().problem, Problem::None);
    const std::vector<TarEntry> good = ReadTar(archive);
    const std::string channel = "KELDRA/ZQ314/SMP0015L.ZQD";
    struct Case {
        const char* what;
        std::function<void(std::vector<TarEntry>&)> change;
        BackupDefect defect;
        std::string named;
    };
    const std::vector<Case> cases = {
        {"one flipped byte",
         [&](auto& entries) {
             for (TarEntry& entry : entries) {
                 if (entry.name == channel) {
                     entry.data[100] = static_cast<char>(entry.data[100] ^ 0x01);
                 }
             }
         },
         BackupDefect::DigestDiffers, channel},
        {"a changed manifest line",
         [&](auto& entries) {
             std::string& manifest = entries.back().data;
             const std::size_t line = manifest.rfind('\n', manifest.find(" SMP0015L.ZQD")) + 1;
             manifest[line + 5] = manifest[line + 5] == '0' ? '1' : '0';
         },
         BackupDefect::DigestDiffers, channel},
        {"an entry outside the card folder",
         [&](auto& entries) {
             entries.insert(entries.begin(), {"../x", "escape", ""});
         },
         BackupDefect::UnexpectedEntry, "../x"},
        {"an absolute entry",
         [&](auto& entries) {
             entries.push_back({"/etc/x", "escape", ""});
         },
         BackupDefect::UnexpectedEntry, "/etc/x"},
        {"a symbolic link",
         [&](auto& entries) {
             entries.insert(entries.begin(), {"KELDRA/ZQ314/SMP0040L.ZQD", "", "/etc/passwd"});
         },
         BackupDefect::NotARegularFile, "KELDRA/ZQ314/SMP0040L.ZQD"},
        {"a file twice", [&](auto& entries) { entries.push_back(entries.front()); },
         BackupDefect::RepeatedEntry, good.front().name},
        {"a file the manifest lacks",
         [&](auto& entries) {
             entries.insert(entries.begin(), {"KELDRA/ZQ314/SMP0040L.ZQD", "x", ""});
         },
         BackupDefect::NotInManifest, "KELDRA/ZQ314/SMP0040L.ZQD"},
        {"a file missing", [&](auto& entries) { entries.erase(entries.begin()); },
         BackupDefect::MissingFile, good.front().name},
        {"no manifest", [&](auto& entries) { entries.pop_back(); }, BackupDefect::NoManifest,
         "ZQ3-BACKUP-MANIFEST.txt"},
    };
    const std::string bad = directory / "bad.tar";
    const auto before = CardFiles();
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        std::vector<TarEntry> entries = good;
        test.change(entries);
        WriteTar(bad, entries);
        Testing::CFaultyFileSystem fs;
        const CardBackupResult result = Restore(bad, fs);
        EXPECT_EQ(result.problem, Problem::BadArchive);
        EXPECT_EQ(result.defect, test.defect);
        EXPECT_EQ(result.file, test.named);
        EXPECT_NE(CardBackupProblemText(result).find(test.named), std::string::npos)
            << CardBackupProblemText(result);
        // Refused before the card was as much as locked.
        EXPECT_EQ(fs.calls(), 0);
        EXPECT_TRUE(CardFiles() == before);
    }
}

// A header may claim any size; an entry larger than any card file is refused from its header,
// before a byte of it is read or written.
TEST_F(CardBackupTest, AnEntryClaimingAHugeSizeIsRefusedFromItsHeader) {
    ASSERT_EQ(BackUp().problem, Problem::None);
    std::string bytes = Fixture::ReadFileBytes(archive);
    // The first header's size field: 12 octal digits at offset 124, then its checksum again.
    // 8 GiB less a byte, the most this field holds, and twice what a channel file can be.
    std::memcpy(&bytes[124], "77777777777", 12);
    std::fill(bytes.begin() + 148, bytes.begin() + 156, ' ');
    unsigned sum = 0;
    for (std::size_t i = 0; i < 512; ++i) {
        sum += static_cast<unsigned char>(bytes[i]);
    }
    std::snprintf(&bytes[148], 8, "%06o", sum);
    const std::string bad = directory / "huge.tar";
    Fixture::WriteFileBytes(bad, bytes);
    const CardBackupResult result = Restore(bad);
    EXPECT_EQ(result.problem, Problem::BadArchive);
    EXPECT_EQ(result.defect, BackupDefect::TooLarge);
}

TEST_F(CardBackupTest, CancelLeavesTheCardAndTheArchivesPlaceAsTheyWere) {
    // A backup cancelled half-way leaves no archive and no temporary file.
    CardBackupOptions options;
    UL::CSilentProgress& cancelling = NextProgress();
    cancelling.pressCancelAtQuery(2);
    options.progress = &cancelling;
    EXPECT_EQ(BackUpCard(root, archive, options).problem, Problem::Cancelled);
    EXPECT_FALSE(std::filesystem::exists(archive));
    ASSERT_EQ(BackUp().problem, Problem::None);
    for (const std::string& name : Fixture::FileNames(directory.path())) {
        EXPECT_EQ(name.rfind("___ZQ3_", 0), std::string::npos) << name;
    }

    // A restore cancelled while it checks the backup, or while it stages the card's files (the
    // last question of Cancel comes as the last file is staged).
    ASSERT_EQ(Restore(archive).problem, Problem::None);
    const int queries = progress->cancelQueries();
    PutSample(3, 2, 4000, 8);
    const auto before = CardFiles();
    for (const int query : {1, queries / 2, queries}) {
        SCOPED_TRACE(query);
        CardBackupOptions restoring;
        UL::CSilentProgress& cancelled = NextProgress();
        cancelled.pressCancelAtQuery(query);
        restoring.progress = &cancelled;
        const CardBackupResult result = RestoreCard(root, archive, restoring);
        EXPECT_EQ(result.problem, Problem::Cancelled);
        EXPECT_TRUE(CardFiles() == before);
        EXPECT_FALSE(cancelled.isShown());
    }
}

TEST_F(CardBackupTest, AnExistingArchiveIsReplacedOnlyWhenAsked) {
    Fixture::WriteFileBytes(archive, "older");
    EXPECT_EQ(BackUp().problem, Problem::ArchiveExists);
    EXPECT_EQ(Fixture::ReadFileBytes(archive), "older");
    CardBackupOptions replacing;
    replacing.replaceExisting = true;
    ASSERT_EQ(BackUp(replacing).problem, Problem::None);
    EXPECT_EQ(ReadTar(archive).size(), 6u);
}

// The card is not reached through a link, nor backed up without one of its files.
TEST_F(CardBackupTest, ALinkAmongTheCardFilesIsRefusedAndNoArchiveIsLeft) {
    const std::string outside = directory / "outside";
    Fixture::WriteFileBytes(outside, "not the card's");
    std::filesystem::create_symlink(outside, CardDirectory() + "SMP0040L.ZQD");
    const CardBackupResult result = BackUp();
    EXPECT_EQ(result.problem, Problem::CardFileUnreadable);
    EXPECT_EQ(result.file, CardDirectory() + "SMP0040L.ZQD");
    EXPECT_NE(CardBackupProblemText(result).find("not a regular file"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(archive));
    for (const std::string& name : Fixture::FileNames(directory.path())) {
        EXPECT_EQ(name.rfind("___ZQ3_", 0), std::string::npos) << name;
    }
}

TEST_F(CardBackupTest, TheQuestionNamesThePadsThatHoldSamplesAndADeclineChangesNothing) {
    ASSERT_EQ(BackUp().problem, Problem::None);
    ASSERT_EQ(controller().deletePad(0), CommandOutcome::Succeeded);
    const auto before = CardFiles();
    std::vector<int> asked;
    CardBackupOptions options;
    options.confirmRestoring = [&](const std::vector<int>& occupied) {
        asked = occupied;
        return false;
    };
    EXPECT_EQ(RestoreCard(root, archive, options).problem, Problem::Declined);
    EXPECT_EQ(asked, (std::vector<int>{21, 31}));
    EXPECT_NE(RestoreQuestion(archive, root, asked).find("D5, D15"), std::string::npos);
    EXPECT_TRUE(CardFiles() == before);
}

} // namespace
} // namespace ZQ3
