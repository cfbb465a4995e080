#include "gt/auto_reset_event.h"
#include "gt/thread.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Polls its thread's stop flag the way every loop in the program does.
class CPollingRunnable : public GT::IRunnable {
public:
    void run() override {
        sawCurrentThread = thread->isCurrentThread();
        while (!thread->isStopRequested()) {
            ++rounds;
            std::this_thread::sleep_for(1ms);
        }
        returned = true;
    }

    GT::AThread* thread = nullptr;
    std::atomic<int> rounds{0};
    std::atomic<bool> sawCurrentThread{false};
    std::atomic<bool> returned{false};
};

TEST(ThreadTest, RunsUntilStopIsRequestedAndJoinsOnRelease) {
    CPollingRunnable runnable;
    auto thread = std::make_shared<GT::CThread>(&runnable);
    runnable.thread = thread.get();
    EXPECT_FALSE(thread->isRunning());
    ASSERT_TRUE(thread->start());
    EXPECT_TRUE(thread->isRunning());
    EXPECT_FALSE(thread->start());
    EXPECT_FALSE(thread->isCurrentThread());
    ASSERT_TRUE(ZQ3::Fixture::WaitUntil([&] { return runnable.rounds.load() >= 3; }));
    EXPECT_FALSE(runnable.returned.load());
    thread->requestStop();
    EXPECT_TRUE(thread->isStopRequested());
    thread.reset();
    // Release waited for the loop to end.
    EXPECT_TRUE(runnable.returned.load());
    EXPECT_TRUE(runnable.sawCurrentThread.load());
}

TEST(ThreadTest, RunningFlagClearsWhenTheRunnableReturns) {
    class CShort : public GT::IRunnable {
    public:
        void run() override { done = true; }
        std::atomic<bool> done{false};
    } runnable;
    GT::CThread thread(&runnable);
    ASSERT_TRUE(thread.start());
    ASSERT_TRUE(ZQ3::Fixture::WaitUntil([&] { return !thread.isRunning(); }));
    EXPECT_TRUE(runnable.done.load());
}

TEST(ThreadTest, TimeCriticalPriorityRunsWhetherOrNotTheSystemGrantsIt) {
    CPollingRunnable runnable;
    GT::CThread thread(&runnable);
    runnable.thread = &thread;
    thread.setPriority(GT::AThread::TimeCriticalPriority);
    EXPECT_EQ(GT::AThread::TimeCriticalPriority, thread.getPriority());
    ASSERT_TRUE(thread.start());
    EXPECT_TRUE(ZQ3::Fixture::WaitUntil([&] { return runnable.rounds.load() >= 2; }));
    thread.requestStop();
}

TEST(AutoResetEventTest, KeepsASignalForTheNextWaitAndClearsItThere) {
    GT::CAutoResetEvent event;
    EXPECT_EQ(GT::CAutoResetEvent::WaitResult::TimedOut, event.wait(1ms));
    event.set();
    event.set();
    EXPECT_EQ(GT::CAutoResetEvent::WaitResult::Signalled, event.wait(1ms));
    EXPECT_EQ(GT::CAutoResetEvent::WaitResult::TimedOut, event.wait(1ms));
    event.set();
    event.reset();
    EXPECT_EQ(GT::CAutoResetEvent::WaitResult::TimedOut, event.wait(1ms));
}

TEST(AutoResetEventTest, WakesAWaiterOnAnotherThread) {
    GT::CAutoResetEvent event;
    // The setter waits a little so that the wait has usually begun; either order must work.
    std::thread setter([&] {
        std::this_thread::sleep_for(5ms);
        event.set();
    });
    EXPECT_EQ(GT::CAutoResetEvent::WaitResult::Signalled,
              event.wait(ZQ3::Fixture::kGenerousDeadline));
    setter.join();
}

} // namespace
