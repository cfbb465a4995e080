#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace ZQ3 {

// One background thread that computes waveforms, so that reading a long sample never holds up
// the user-interface thread. Only the newest request matters to someone clicking through pads:
// a new job replaces one still waiting and asks the running one to stop.
class CWaveformWorker {
public:
    // Runs on the worker thread; it looks at the flag now and then and gives up once it is set.
    using Job = std::function<void(const std::atomic<bool>& cancelled)>;

    CWaveformWorker();
    // Cancels what runs and waits for it: no job runs after the worker is gone.
    ~CWaveformWorker();
    CWaveformWorker(const CWaveformWorker&) = delete;
    CWaveformWorker& operator=(const CWaveformWorker&) = delete;

    void submit(Job job);
    // Drops the waiting job and asks the running one to stop.
    void cancel();

private:
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    Job waiting_;
    // The cancel flag of the job running now; each job has its own, so a late cancel of one job
    // never reaches the next.
    std::shared_ptr<std::atomic<bool>> running_;
    bool stopping_ = false;
    // Started last, after everything it uses.
    std::thread thread_;
};

} // namespace ZQ3
