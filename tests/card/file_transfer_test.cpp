#include "card/file_transfer.h"

#include "tests/support/faulty_file_system.h"
#include "tests/support/silent_progress.h"
#include "tests/support/sizeless_file_system.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace ZQ3 {
namespace {

namespace fs = std::filesystem;
using FileTransfer::Flush;
using Fixture::ReadFileBytes;
using Fixture::TemporaryDirectory;
using Fixture::WriteFileBytes;

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    }
    return bytes;
}

mode_t ModeOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

std::set<std::string> Names(const std::string& directory) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Keeps every position a copy reports, to check the whole course and not just its end.
class CRecordingProgress : public UL::CSilentProgress {
public:
    void setPosition(std::int64_t position) override {
        positions.push_back(position);
        CSilentProgress::setPosition(position);
    }
    std::vector<std::int64_t> positions;
};

// A tmpfs of a given size, so that a full volume and an exact free-space figure can be had
// without touching the machine's disks. Only the superuser may mount.
class CSmallVolume {
public:
    CSmallVolume(const std::string& mountPoint, const std::string& size) : mountPoint_(mountPoint) {
        if (::geteuid() != 0) {
            reason_ = "mounting a small volume needs root";
            return;
        }
        fs::create_directories(mountPoint);
        const std::string options = "size=" + size + ",mode=0755";
        if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) !=
            0) {
            reason_ = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
            return;
        }
        mounted_ = true;
    }
    ~CSmallVolume() {
        if (mounted_) {
            ::umount2(mountPoint_.c_str(), MNT_DETACH);
        }
    }
    CSmallVolume(const CSmallVolume&) = delete;
    CSmallVolume& operator=(const CSmallVolume&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& reason() const { return reason_; }

private:
    std::string mountPoint_;
    std::string reason_;
    bool mounted_ = false;
};

class CEnvironmentVariable {
public:
    explicit CEnvironmentVariable(const char* name) : name_(name) {
        if (const char* value = std::getenv(name)) {
            saved_ = value;
        }
    }
    ~CEnvironmentVariable() {
        if (saved_) {
            ::setenv(name_, saved_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    void set(const std::string& value) { ::setenv(name_, value.c_str(), 1); }
    void unset() { ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> saved_;
};

TEST(FileTransferExists, TellsFilesFromDirectoriesAndRefusesRelativePaths) {
    TemporaryDirectory dir;
    WriteFileBytes(dir / "a.wav", "x");
    fs::create_directory(dir / "folder");

    EXPECT_TRUE(FileTransfer::Exists(dir / "a.wav"));
    EXPECT_FALSE(FileTransfer::Exists(dir / "folder"));
    EXPECT_FALSE(FileTransfer::Exists(dir / "missing.wav"));
    EXPECT_TRUE(FileTransfer::DirectoryExists(dir / "folder"));
    EXPECT_FALSE(FileTransfer::DirectoryExists(dir / "a.wav"));
    EXPECT_FALSE(FileTransfer::DirectoryExists(dir / "missing"));

    // Links count as what they lead to; a link to nothing still occupies its name.
    fs::create_symlink(dir / "a.wav", dir / "to file");
    fs::create_symlink(dir / "folder", dir / "to folder");
    fs::create_symlink(dir / "missing.wav", dir / "dangling");
    EXPECT_TRUE(FileTransfer::Exists(dir / "to file"));
    EXPECT_FALSE(FileTransfer::Exists(dir / "to folder"));
    EXPECT_TRUE(FileTransfer::DirectoryExists(dir / "to folder"));
    EXPECT_TRUE(FileTransfer::Exists(dir / "dangling"));
    EXPECT_TRUE(FileTransfer::Remove(dir / "dangling"));
    EXPECT_FALSE(fs::exists(dir / "missing.wav"));

    // The same items named relative to the working directory do not count.
    const auto previous = fs::current_path();
    fs::current_path(dir.path());
    EXPECT_FALSE(FileTransfer::Exists("a.wav"));
    EXPECT_FALSE(FileTransfer::DirectoryExists("folder"));
    fs::current_path(previous);
}

TEST(FileTransferExists, PathWithNulNamesNothingEvenWhenItsPrefixExists) {
    TemporaryDirectory dir;
    WriteFileBytes(dir / "a.wav", "keep");
    const std::string tricky = dir / std::string("a.wav\0.tmp", 10);

    EXPECT_FALSE(FileTransfer::Exists(tricky));
    EXPECT_FALSE(FileTransfer::Remove(tricky));
    EXPECT_FALSE(FileTransfer::CopyAndUnlock(dir / "a.wav", tricky, Flush::No));
    EXPECT_EQ(ReadFileBytes(dir / "a.wav"), "keep");
}

TEST(FileTransferRemove, DeletesFilesButNotDirectories) {
    TemporaryDirectory dir;
    WriteFileBytes(dir / "a.wav", "x");
    fs::create_directory(dir / "folder");

    EXPECT_TRUE(FileTransfer::Remove(dir / "a.wav"));
    EXPECT_FALSE(fs::exists(dir / "a.wav"));
    EXPECT_FALSE(FileTransfer::Remove(dir / "a.wav"));
    EXPECT_FALSE(FileTransfer::Remove(dir / "folder"));
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
}

TEST(FileTransferRename, MovesAFileToAFreeName) {
    TemporaryDirectory dir;
    WriteFileBytes(dir / "copy", "new sample");

    EXPECT_TRUE(FileTransfer::Rename(dir / "copy", dir / "SMP0015L.ZQD"));
    EXPECT_EQ(Names(dir.path()), std::set<std::string>{"SMP0015L.ZQD"});
    EXPECT_EQ(ReadFileBytes(dir / "SMP0015L.ZQD"), "new sample");
}

TEST(FileTransferRename, RefusesAnExistingTargetAndKeepsBothFiles) {
    TemporaryDirectory dir;
    WriteFileBytes(dir / "copy", "new sample");
    WriteFileBytes(dir / "SMP0015L.ZQD", "old sample");

    errno = 0;
    EXPECT_FALSE(FileTransfer::Rename(dir / "copy", dir / "SMP0015L.ZQD"));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(ReadFileBytes(dir / "copy"), "new sample");
    EXPECT_EQ(ReadFileBytes(dir / "SMP0015L.ZQD"), "old sample");

    // An empty directory at the target is an existing item too.
    fs::create_directory(dir / "SMP0015R.ZQD");
    EXPECT_FALSE(FileTransfer::Rename(dir / "copy", dir / "SMP0015R.ZQD"));
    EXPECT_TRUE(fs::exists(dir / "copy"));
}

TEST(FileTransferRename, MissingSourceFails) {
    TemporaryDirectory dir;
    EXPECT_FALSE(FileTransfer::Rename(dir / "missing", dir / "target"));
    EXPECT_FALSE(fs::exists(dir / "target"));
}

TEST(FileTransferReplace, ExistingDestinationEndsAsOneFileWithoutTemporary) {
    TemporaryDirectory dir;
    WriteFileBytes(dir / "take.wav", "old take, longer than the new one");
    WriteFileBytes(dir / "___ZQ3_TEMPORARY_WAVE_FILE___", "new take");

    EXPECT_TRUE(FileTransfer::Replace(dir / "___ZQ3_TEMPORARY_WAVE_FILE___", dir / "take.wav"));
    EXPECT_EQ(Names(dir.path()), std::set<std::string>{"take.wav"});
    EXPECT_EQ(ReadFileBytes(dir / "take.wav"), "new take");
}

TEST(FileTransferReplace, MissingDestinationIsARename) {
    TemporaryDirectory dir;
    WriteFileBytes(dir / "temporary", "new take");

    EXPECT_TRUE(FileTransfer::Replace(dir / "temporary", dir / "take.aif"));
    EXPECT_EQ(Names(dir.path()), std::set<std::string>{"take.aif"});
    EXPECT_EQ(ReadFileBytes(dir / "take.aif"), "new take");
}

TEST(FileTransferReplace, FailureLeavesTheDestinationAlone) {
    TemporaryDirectory dir;
    WriteFileBytes(dir / "take.wav", "old take");

    EXPECT_FALSE(FileTransfer::Replace(dir / "missing", dir / "take.wav"));
    EXPECT_EQ(ReadFileBytes(dir / "take.wav"), "old take");

    // A directory at the destination is not replaced by a file.
    fs::create_directory(dir / "folder");
    WriteFileBytes(dir / "temporary", "new take");
    EXPECT_FALSE(FileTransfer::Replace(dir / "temporary", dir / "folder"));
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_EQ(ReadFileBytes(dir / "temporary"), "new take");
}

TEST(FileTransferReplace, KeepsTheReplacedFilesPermissions) {
    TemporaryDirectory dir;
    WriteFileBytes(dir / "private.wav", "old take");
    ::chmod((dir / "private.wav").c_str(), 0600);
    WriteFileBytes(dir / "temporary", "new take");
    ::chmod((dir / "temporary").c_str(), 0644);

    EXPECT_TRUE(FileTransfer::Replace(dir / "temporary", dir / "private.wav"));
    EXPECT_EQ(ReadFileBytes(dir / "private.wav"), "new take");
    EXPECT_EQ(ModeOf(dir / "private.wav"), 0600u);

    // A link at the destination is replaced, not what it leads to, and hands on nothing.
    WriteFileBytes(dir / "target.wav", "target");
    ::chmod((dir / "target.wav").c_str(), 0600);
    fs::create_symlink(dir / "target.wav", dir / "link.wav");
    WriteFileBytes(dir / "temporary", "new take");
    ::chmod((dir / "temporary").c_str(), 0640);
    EXPECT_TRUE(FileTransfer::Replace(dir / "temporary", dir / "link.wav"));
    EXPECT_FALSE(fs::is_symlink(dir / "link.wav"));
    EXPECT_EQ(ModeOf(dir / "link.wav"), 0640u);
    EXPECT_EQ(ReadFileBytes(dir / "target.wav"), "target");
}

TEST(FileTransferReplace, KeepsTheReplacedFilesOwnerWherePermitted) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only the superuser gives a file away";
    }
    TemporaryDirectory dir;
    WriteFileBytes(dir / "theirs.wav", "old take");
    ASSERT_EQ(::chown((dir / "theirs.wav").c_str(), 4321, 4321), 0);
    ::chmod((dir / "theirs.wav").c_str(), 0640);
    WriteFileBytes(dir / "temporary", "new take");

    EXPECT_TRUE(FileTransfer::Replace(dir / "temporary", dir / "theirs.wav"));
    struct stat status {};
    ASSERT_EQ(::stat((dir / "theirs.wav").c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, 4321u);
    EXPECT_EQ(status.st_gid, 4321u);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST(FileTransferCopyAndUnlock, CopiesIntoANewFileWritableByItsOwnerOnly) {
    TemporaryDirectory dir;
    WriteFileBytes(dir / "information", "new information");
    ::chmod((dir / "information").c_str(), 0444);

    const mode_t umask = ::umask(022);
    EXPECT_TRUE(
        FileTransfer::CopyAndUnlock(dir / "information", dir / "WVCINFO0.ZQD", Flush::ToDevice));
    ::umask(umask);
    EXPECT_EQ(ReadFileBytes(dir / "WVCINFO0.ZQD"), "new information");
    EXPECT_EQ(ModeOf(dir / "WVCINFO0.ZQD"), 0644u);
    EXPECT_EQ(ModeOf(dir / "information"), 0444u);
}

TEST(FileTransferCopyAndUnlock, NeverWritesIntoWhatIsAlreadyAtTheDestination) {
    TemporaryDirectory dir;
    WriteFileBytes(dir / "sample", "precious");
    WriteFileBytes(dir / "victim", "untouched");
    fs::create_hard_link(dir / "sample", dir / "other name");
    fs::create_symlink(dir / "victim", dir / "link");
    fs::create_symlink(dir / "nowhere", dir / "dangling");

    for (const char* destination : {"sample", "other name", "victim", "link", "dangling"}) {
        EXPECT_FALSE(FileTransfer::CopyAndUnlock(dir / "sample", dir / destination, Flush::No))
            << destination;
    }
    EXPECT_EQ(ReadFileBytes(dir / "sample"), "precious");
    EXPECT_EQ(ReadFileBytes(dir / "victim"), "untouched");
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
}

TEST(FileTransferCopyAndUnlock, SourceThatIsNoFileCreatesNothing) {
    TemporaryDirectory dir;
    fs::create_directory(dir / "folder");

    EXPECT_FALSE(FileTransfer::CopyAndUnlock(dir / "folder", dir / "copy", Flush::No));
    EXPECT_FALSE(FileTransfer::CopyAndUnlock(dir / "missing", dir / "copy", Flush::No));
    EXPECT_FALSE(fs::exists(dir / "copy"));
}

TEST(FileTransferCopyWithProgress, ReportsThousandthsUpTo1000) {
    TemporaryDirectory dir;
    // Several chunks, the last one short.
    const std::string bytes = Pattern(3 * 256 * 1024 + 1000);
    WriteFileBytes(dir / "encoded", bytes);
    CRecordingProgress progress;

    EXPECT_TRUE(FileTransfer::CopyWithProgress(dir / "encoded", dir / "card copy", progress,
                                               Flush::ToDevice));
    EXPECT_EQ(ReadFileBytes(dir / "card copy"), bytes);
    EXPECT_EQ(progress.getRange(), 1000);
    EXPECT_EQ(progress.getPosition(), 1000);
    ASSERT_FALSE(progress.positions.empty());
    EXPECT_EQ(progress.positions.front(), 0);
    EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
    const std::set<std::int64_t> distinct(progress.positions.begin(), progress.positions.end());
    EXPECT_GE(distinct.size(), 4u) << "progress should move between chunks";
    EXPECT_EQ(progress.backwardMoves(), 0);
}

TEST(FileTransferCopyWithProgress, EmptyFileStillEndsAt1000) {
    TemporaryDirectory dir;
    WriteFileBytes(dir / "empty", "");
    UL::CSilentProgress progress;

    EXPECT_TRUE(FileTransfer::CopyWithProgress(dir / "empty", dir / "copy", progress, Flush::No));
    EXPECT_TRUE(fs::exists(dir / "copy"));
    EXPECT_EQ(fs::file_size(dir / "copy"), 0u);
    EXPECT_EQ(progress.getPosition(), 1000);
}

TEST(FileTransferCopyWithProgress, CancelledCopyFailsAndLeavesNoPartialFile) {
    TemporaryDirectory dir;
    const std::string bytes = Pattern(3 * 256 * 1024);
    WriteFileBytes(dir / "encoded", bytes);

    // Cancel pressed after the first chunk has been written.
    UL::CSilentProgress progress;
    progress.setCancellable(true);
    progress.pressCancelAtQuery(2);
    errno = 0;
    EXPECT_FALSE(
        FileTransfer::CopyWithProgress(dir / "encoded", dir / "copy", progress, Flush::No));
    EXPECT_EQ(errno, ECANCELED);
    EXPECT_TRUE(progress.isCancelled());
    EXPECT_GT(progress.getPosition(), 0);
    EXPECT_LT(progress.getPosition(), 1000);
    EXPECT_FALSE(fs::exists(dir / "copy"));
    EXPECT_EQ(ReadFileBytes(dir / "encoded"), bytes);
}

TEST(FileTransferCopyWithProgress, CancelIsHonouredUntilTheCopyEnds) {
    TemporaryDirectory dir;
    WriteFileBytes(dir / "encoded", Pattern(1000));

    // Before any byte: the first question comes before the first chunk.
    UL::CSilentProgress early;
    early.setCancellable(true);
    early.pressCancel();
    EXPECT_FALSE(FileTransfer::CopyWithProgress(dir / "encoded", dir / "copy", early, Flush::No));
    EXPECT_FALSE(fs::exists(dir / "copy"));

    // After the last byte: one chunk, so the second question comes when all data is written.
    UL::CSilentProgress late;
    late.setCancellable(true);
    late.pressCancelAtQuery(2);
    EXPECT_FALSE(FileTransfer::CopyWithProgress(dir / "encoded", dir / "copy", late, Flush::No));
    EXPECT_EQ(late.getPosition(), 1000);
    EXPECT_FALSE(fs::exists(dir / "copy"));
}

TEST(FileTransferWritableDestination, FreeNamesAndWritableFilesOnly) {
    TemporaryDirectory dir;
    WriteFileBytes(dir / "writable.wav", "x");
    fs::create_directory(dir / "folder.wav");

    EXPECT_TRUE(FileTransfer::WritableDestination(dir / "new.wav"));
    EXPECT_TRUE(FileTransfer::WritableDestination(dir / "writable.wav"));
    EXPECT_FALSE(FileTransfer::WritableDestination(dir / "folder.wav"));
    EXPECT_FALSE(FileTransfer::WritableDestination("relative.wav"));
    EXPECT_FALSE(FileTransfer::WritableDestination(dir / "new.wav/"));
    // A file where a directory of the path should be: the name can never be written.
    EXPECT_FALSE(FileTransfer::WritableDestination(dir / "writable.wav/inner.wav"));
}

TEST(FileTransferWritableDestination, ReadOnlyFileIsRefusedEvenForRoot) {
    TemporaryDirectory dir;
    WriteFileBytes(dir / "locked.wav", "x");
    ASSERT_EQ(::chmod((dir / "locked.wav").c_str(), 0444), 0);
    if (::geteuid() == 0) {
        // The system itself would let root write: the refusal must come from the mode.
        EXPECT_EQ(::access((dir / "locked.wav").c_str(), W_OK), 0);
    }

    EXPECT_FALSE(FileTransfer::WritableDestination(dir / "locked.wav"));

    // Any write bit, even one that is not this user's, lifts the lock.
    ASSERT_EQ(::chmod((dir / "locked.wav").c_str(), 0464), 0);
    EXPECT_TRUE(FileTransfer::WritableDestination(dir / "locked.wav"));
}

TEST(FileTransferExamineDestination, SaysWhyAndRefusesWhateverWritableDestinationRefuses) {
    using Problem = FileTransfer::DestinationCheck::Problem;
    TemporaryDirectory dir;
    WriteFileBytes(dir / "writable.wav", "x");
    WriteFileBytes(dir / "locked.wav", "x");
    ASSERT_EQ(::chmod((dir / "locked.wav").c_str(), 0444), 0);
    fs::create_directory(dir / "folder.wav");
    ASSERT_EQ(::mkfifo((dir / "pipe.wav").c_str(), 0600), 0);
    fs::create_symlink(dir / "nowhere", dir / "dangling.wav");
    const struct {
        std::string path;
        Problem problem;
        SL::CFileKind kind;
    } cases[] = {
        {dir / "new.wav", Problem::None, SL::CFileKind::Regular},
        {dir / "writable.wav", Problem::None, SL::CFileKind::Regular},
        // The export replaces the link, never its missing target.
        {dir / "dangling.wav", Problem::None, SL::CFileKind::Regular},
        {dir / "missing/new.wav", Problem::FolderMissing, SL::CFileKind::Regular},
        {dir / "writable.wav/inner.wav", Problem::FolderMissing, SL::CFileKind::Regular},
        {dir / "locked.wav", Problem::ReadOnlyFile, SL::CFileKind::Regular},
        {dir / "folder.wav", Problem::NotRegularFile, SL::CFileKind::Directory},
        {dir / "folder.wav/", Problem::NotRegularFile, SL::CFileKind::Directory},
        {dir / "pipe.wav", Problem::NotRegularFile, SL::CFileKind::Fifo},
        {"/dev/null", Problem::NotRegularFile, SL::CFileKind::CharacterDevice},
        {"relative.wav", Problem::NotAFileName, SL::CFileKind::Regular},
        {dir / "new.wav/", Problem::NotAFileName, SL::CFileKind::Regular},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const FileTransfer::DestinationCheck check = FileTransfer::ExamineDestination(c.path);
        EXPECT_EQ(check.problem, c.problem);
        EXPECT_EQ(check.kind, c.kind);
        if (!FileTransfer::WritableDestination(c.path)) {
            EXPECT_NE(check.problem, Problem::None);
        }
    }
}

TEST(FileTransferTemporaryDirectory, FollowsTmpdirWhenItIsAnAbsoluteDirectory) {
    TemporaryDirectory dir;
    CEnvironmentVariable tmpdir("TMPDIR");

    tmpdir.set(dir.path() + "/");
    EXPECT_EQ(FileTransfer::TemporaryDirectory(), dir.path());

    tmpdir.set(dir / "missing");
    EXPECT_EQ(FileTransfer::TemporaryDirectory(), "/tmp");
    tmpdir.set("relative");
    EXPECT_EQ(FileTransfer::TemporaryDirectory(), "/tmp");
    tmpdir.unset();
    EXPECT_EQ(FileTransfer::TemporaryDirectory(), "/tmp");
}

TEST(FileTransferProgramDirectory, HoldsTheRunningProgram) {
    const std::string& directory = FileTransfer::ProgramDirectory();
    EXPECT_TRUE(FileTransfer::IsAbsolutePath(directory));
    EXPECT_TRUE(fs::is_regular_file(directory + "/" + program_invocation_short_name));
    EXPECT_EQ(&FileTransfer::ProgramDirectory(), &directory);
}

TEST(FileTransferFreeSpace, MissingCardFolderIsMeasuredAtItsAncestor) {
    TemporaryDirectory dir;
    const std::optional<std::uint64_t> measured = FileTransfer::FreeSpace(dir / "KELDRA/ZQ314/");
    ASSERT_TRUE(measured);
    const std::uint64_t bytes = *measured;
    struct statvfs volume {};
    ASSERT_EQ(::statvfs(dir.path().c_str(), &volume), 0);
    const std::uint64_t direct = static_cast<std::uint64_t>(volume.f_bavail) * volume.f_frsize;
    // Other programs write to the same disk meanwhile; a different volume would be far off.
    const std::uint64_t difference = bytes > direct ? bytes - direct : direct - bytes;
    EXPECT_LT(difference, 64u * 1024 * 1024);
}

TEST(FileTransferFreeSpace, SmallVolumeReportsItsOwnFigure) {
    TemporaryDirectory dir;
    CSmallVolume volume(dir / "card", "64k");
    if (!volume.mounted()) {
        GTEST_SKIP() << volume.reason();
    }
    EXPECT_EQ(FileTransfer::FreeSpace(dir / "card/KELDRA/ZQ314/"), 64u * 1024);
    EXPECT_EQ(FileTransfer::FreeSpace(dir / "card"), 64u * 1024);
    // tmpfs hands out room in pages.
    EXPECT_EQ(FileTransfer::MeasureVolume(dir / "card").allocationUnit,
              static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE)));
}

TEST(FileTransferFreeSpace, AVolumeThatReportsNoBlocksHasUnknownSpace) {
    TemporaryDirectory dir;
    Testing::CSizelessFileSystem sizeless;

    const FileTransfer::VolumeSpace volume = FileTransfer::MeasureVolume(dir.path(), sizeless);
    EXPECT_FALSE(volume.freeBytes);
    EXPECT_EQ(volume.bytesTaken(5000), 5000u);
    EXPECT_FALSE(FileTransfer::FreeSpace(dir.path(), sizeless));
}

TEST(FileTransferFreeSpace, FilesTakeWholeAllocationUnits) {
    FileTransfer::VolumeSpace clusters;
    clusters.allocationUnit = 32 * 1024;
    EXPECT_EQ(clusters.bytesTaken(0), 0u);
    EXPECT_EQ(clusters.bytesTaken(1), 32u * 1024);
    EXPECT_EQ(clusters.bytesTaken(32 * 1024), 32u * 1024);
    EXPECT_EQ(clusters.bytesTaken(32 * 1024 + 1), 64u * 1024);
    EXPECT_EQ(clusters.bytesTaken(UINT64_MAX), UINT64_MAX);
}

TEST(FileTransferCopy, FullVolumeFailsAndLeavesNoPartialFile) {
    TemporaryDirectory dir;
    CSmallVolume volume(dir / "card", "64k");
    if (!volume.mounted()) {
        GTEST_SKIP() << volume.reason();
    }
    WriteFileBytes(dir / "small", Pattern(16 * 1024));
    WriteFileBytes(dir / "large", Pattern(200 * 1024));
    UL::CSilentProgress progress;

    EXPECT_TRUE(FileTransfer::CopyWithProgress(dir / "small", dir / "card/fits", progress,
                                               Flush::ToDevice));
    EXPECT_EQ(ReadFileBytes(dir / "card/fits"), Pattern(16 * 1024));

    errno = 0;
    EXPECT_FALSE(FileTransfer::CopyWithProgress(dir / "large", dir / "card/too large", progress,
                                                Flush::ToDevice));
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_FALSE(fs::exists(dir / "card/too large"));

    EXPECT_FALSE(FileTransfer::CopyAndUnlock(dir / "large", dir / "card/WVCINFO0.ZQD", Flush::No));
    EXPECT_FALSE(fs::exists(dir / "card/WVCINFO0.ZQD"));

    // The space of the failed copies is given back.
    EXPECT_EQ(FileTransfer::FreeSpace(dir / "card"), 64u * 1024 - 16u * 1024);
}

TEST(FileTransferSync, SyncsDirectoriesAndRefusesFiles) {
    TemporaryDirectory dir;
    WriteFileBytes(dir / "a", "x");

    EXPECT_TRUE(FileTransfer::SyncDirectory(dir.path()));
    EXPECT_TRUE(FileTransfer::SyncContainingDirectory(dir / "a"));
    EXPECT_FALSE(FileTransfer::SyncDirectory(dir / "a"));
    EXPECT_FALSE(FileTransfer::SyncDirectory(dir / "missing"));
}

TEST(FileTransferFaults, AFailedWriteRemovesTheIncompleteCopy) {
    TemporaryDirectory dir;
    WriteFileBytes(dir / "a", std::string(1000, 'x'));
    UL::CSilentProgress progress;
    Testing::CFaultyFileSystem faulty;
    faulty.countOnly();
    ASSERT_TRUE(
        FileTransfer::CopyWithProgress(dir / "a", dir / "b", progress, Flush::ToDevice, faulty));
    const int write = faulty.callNumberOf("write");
    ASSERT_GT(write, 0);
    ASSERT_TRUE(FileTransfer::Remove(dir / "b"));

    faulty.failCall(write, ENOSPC);
    errno = 0;
    EXPECT_FALSE(
        FileTransfer::CopyWithProgress(dir / "a", dir / "b", progress, Flush::ToDevice, faulty));
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(Names(dir.path()), std::set<std::string>{"a"});
}

} // namespace
} // namespace ZQ3
