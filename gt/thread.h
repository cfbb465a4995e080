#pragma once

#include "gt/runnable.h"

#include <atomic>
#include <thread>

namespace GT {

// A thread that runs a runnable at a priority. Stopping is cooperative: the owner requests the
// stop and the runnable polls isStopRequested(), so a thread is never killed in the middle of
// its work.
class AThread : public IRunnable {
public:
    // The platform's normal priority and its time-critical one; values in between keep the
    // normal priority, because raising a thread less than fully needs privileges a desktop user
    // rarely has, while the time-critical request at least gets a real-time try.
    static constexpr int NormalPriority = 0;
    static constexpr int TimeCriticalPriority = 15;

    explicit AThread(IRunnable* runnable = nullptr) : runnable_(runnable) {}
    AThread(const AThread&) = delete;
    AThread& operator=(const AThread&) = delete;

    void run() override {
        if (runnable_ != nullptr) {
            runnable_->run();
        }
    }
    // Takes effect at the next start().
    virtual void setPriority(int priority) { priority_ = priority; }
    virtual bool isRunning() const = 0;
    // False when the thread could not be created or was started before.
    virtual bool start() = 0;
    virtual bool isCurrentThread() const = 0;
    virtual void requestStop() { stopRequested_.store(true, std::memory_order_release); }
    virtual bool isStopRequested() const { return stopRequested_.load(std::memory_order_acquire); }

    int getPriority() const { return priority_; }

protected:
    int priority_ = NormalPriority;
    IRunnable* runnable_;
    std::atomic<bool> stopRequested_{false};
};

// AThread over a standard thread. Releasing the object waits for the thread to end; it does
// not request the stop itself, so every owner calls requestStop() first.
class CThread : public AThread {
public:
    using AThread::AThread;
    ~CThread() override;

    bool isRunning() const override { return running_.load(std::memory_order_acquire); }
    bool start() override;
    bool isCurrentThread() const override;

    // Asks the system to run the calling thread at the given priority. A refusal (no
    // privilege for real-time scheduling) keeps the normal priority and is not an error.
    static void applyPriorityToCurrentThread(int priority);

private:
    void procedure();

    std::thread thread_;
    std::atomic<std::thread::id> id_{};
    std::atomic<bool> running_{false};
};

} // namespace GT
