// The export's write-behind: flushes on its own thread as the file grows, and remembers a flush
// that failed, which a later flush of the same file need not report again. Runs under
// ThreadSanitizer.

#include "app/write_behind.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <string>

namespace ZQ3 {
namespace {

class WriteBehindTest : public ::testing::Test {
protected:
    WriteBehindTest() { Fixture::WriteFileBytes(path_, std::string(4096, 'x')); }

    // Pushes as a copy does after enough progress steps for the given number of requests.
    static void PushRequests(CWriteBehind& writeBehind, int requests) {
        for (int i = 0; i < requests * CWriteBehind::kCallsPerRequest; ++i) {
            writeBehind.push();
        }
    }

    Fixture::TemporaryDirectory directory_;
    const std::string path_ = directory_ / "growing.wav";
};

TEST_F(WriteBehindTest, FlushesTheFileWhileItGrowsAndNotBeforeItIsAsked) {
    std::atomic<int> flushes{0};
    CWriteBehind writeBehind(path_, [&flushes](int) {
        ++flushes;
        return 0;
    });
    for (int i = 0; i + 1 < CWriteBehind::kCallsPerRequest; ++i) {
        writeBehind.push();
    }
    EXPECT_EQ(flushes.load(), 0);
    writeBehind.push();
    EXPECT_TRUE(Fixture::WaitUntil([&flushes] { return flushes.load() == 1; }));
    PushRequests(writeBehind, 3);
    EXPECT_TRUE(Fixture::WaitUntil([&flushes] { return flushes.load() >= 2; }));
    EXPECT_TRUE(writeBehind.finish());
    // Nothing is flushed once finished, and finishing again answers the same.
    const int flushed = flushes.load();
    PushRequests(writeBehind, 2);
    EXPECT_EQ(flushes.load(), flushed);
    EXPECT_TRUE(writeBehind.finish());
}

TEST_F(WriteBehindTest, AFailedFlushIsRememberedUntilTheEnd) {
    std::atomic<int> flushes{0};
    CWriteBehind writeBehind(path_, [&flushes](int) {
        ++flushes;
        errno = EIO;
        return -1;
    });
    PushRequests(writeBehind, 1);
    ASSERT_TRUE(Fixture::WaitUntil([&flushes] { return flushes.load() == 1; }));
    EXPECT_FALSE(writeBehind.finish());
}

TEST_F(WriteBehindTest, AFileThatCannotBeOpenedLeavesEverythingToTheFinalFlush) {
    std::atomic<int> flushes{0};
    CWriteBehind writeBehind(directory_ / "missing.wav", [&flushes](int) {
        ++flushes;
        return -1;
    });
    PushRequests(writeBehind, 2);
    EXPECT_TRUE(writeBehind.finish());
    EXPECT_EQ(flushes.load(), 0);
}

TEST_F(WriteBehindTest, DestroyingItUnfinishedStopsTheThread) {
    std::atomic<int> flushes{0};
    {
        CWriteBehind writeBehind(path_, [&flushes](int) {
            ++flushes;
            return 0;
        });
        PushRequests(writeBehind, 1);
    }
    EXPECT_LE(flushes.load(), 1);
}

} // namespace
} // namespace ZQ3
