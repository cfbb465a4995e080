#include "app/private_directory.h"

#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/file.h>
#include <unistd.h>

namespace ZQ3 {
namespace {

namespace fs = std::filesystem;
using Fixture::ReadFileBytes;
using Fixture::WriteFileBytes;

// Runs each test with TMPDIR at a directory of its own, as the programs find it.
class WorkFolderSweepTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* previous = std::getenv("TMPDIR")) {
            previous_ = previous;
        }
        ::setenv("TMPDIR", temporary.path().c_str(), 1);
    }
    void TearDown() override {
        if (previous_) {
            ::setenv("TMPDIR", previous_->c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
    }

    // A work folder as a converter leaves it when it is killed: files, and its lock file.
    std::string leftFolder(const std::string& name, bool withLock = true) const {
        const std::string folder = temporary / name;
        fs::create_directory(folder);
        WriteFileBytes(folder + "/converted.wav", "work");
        if (withLock) {
            WriteFileBytes(folder + "/" + CPrivateDirectory::LockFileName, "");
        }
        return folder;
    }

    Fixture::TemporaryDirectory temporary;
    Fixture::TemporaryDirectory elsewhere;
    std::optional<std::string> previous_;
};

TEST_F(WorkFolderSweepTest, AnAbandonedFolderGoesWithoutFollowingItsLinks) {
    const std::string folder = leftFolder("zq3-Ab12Cd");
    WriteFileBytes(elsewhere / "precious", "keep");
    fs::create_symlink(elsewhere / "precious", folder + "/link.wav");

    EXPECT_EQ(RemoveAbandonedWorkFolders(), 1);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(ReadFileBytes(elsewhere / "precious"), "keep");
}

TEST_F(WorkFolderSweepTest, AFolderWhoseLockIsHeldStays) {
    CPrivateDirectory live;
    ASSERT_TRUE(live.isValid());
    EXPECT_EQ(fs::path(live.path()).parent_path(), fs::path(temporary.path()));
    WriteFileBytes(live.file("converted.wav"), "work");

    // flock belongs to an open file description: this one is another holder's, as another
    // process's would be.
    const std::string held = leftFolder("zq3-Held01");
    const int lock = ::open((held + "/" + CPrivateDirectory::LockFileName).c_str(), O_RDWR);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);

    EXPECT_EQ(RemoveAbandonedWorkFolders(), 0);
    EXPECT_EQ(ReadFileBytes(live.file("converted.wav")), "work");
    EXPECT_TRUE(fs::exists(held + "/converted.wav"));

    ::close(lock);
    EXPECT_EQ(RemoveAbandonedWorkFolders(), 1);
    EXPECT_FALSE(fs::exists(held));
    EXPECT_TRUE(fs::exists(live.file("converted.wav")));
}

TEST_F(WorkFolderSweepTest, WhatIsNotClearlyTheConvertersStays) {
    const std::string noLock = leftFolder("zq3-NoLock", false);
    const std::string otherName = leftFolder("zq3-TooLong1");
    const std::string withFolder = leftFolder("zq3-Folder");
    fs::create_directory(withFolder + "/inner");
    // A link named like a work folder, to a folder that looks abandoned.
    const std::string target = leftFolder("target");
    fs::create_symlink(target, temporary / "zq3-Link01");
    std::optional<std::string> theirs;
    if (::geteuid() == 0) {
        theirs = leftFolder("zq3-Theirs");
        ASSERT_EQ(::chown(theirs->c_str(), 4321, 4321), 0);
    }

    EXPECT_EQ(RemoveAbandonedWorkFolders(), 0);
    for (const std::string& folder : {noLock, otherName, withFolder, target}) {
        EXPECT_TRUE(fs::exists(folder + "/converted.wav")) << folder;
    }
    EXPECT_TRUE(fs::is_symlink(temporary / "zq3-Link01"));
    if (theirs) {
        EXPECT_TRUE(fs::exists(*theirs + "/converted.wav"));
    }
}

TEST_F(WorkFolderSweepTest, AFolderInUseIsGoneWhenItsCommandEnds) {
    std::string path;
    {
        CPrivateDirectory work;
        ASSERT_TRUE(work.isValid());
        path = work.path();
        EXPECT_TRUE(fs::is_regular_file(work.file(CPrivateDirectory::LockFileName)));
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::is_empty(temporary.path()));
}

} // namespace
} // namespace ZQ3
