#pragma once

#include "tests/support/temporary_directory.h"
#include "tests/support/wait_until.h"

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace ZQ3::Fixture {

struct CommandResult {
    // 128 and the signal's number when a signal ended the process.
    int exitCode = -1;
    std::string out;
    std::string err;
    // The process's peak resident memory in kilobytes, as the kernel measured it; RunZq3 only.
    long peakKilobytes = -1;
};

// Runs the zq3 executable with arguments and the given extra environment ("NAME=value"), with
// standard input from /dev/null, and collects what it printed.
CommandResult RunZq3(const std::vector<std::string>& arguments,
                     const std::vector<std::string>& environment = {});

// A zq3 run that the test watches, and may signal, while it works. Its standard error is a
// pseudo-terminal, so zq3 draws its progress as it would for a person at a terminal and the
// test can tell how far it has got; everything else is as for RunZq3.
class Zq3Process {
public:
    // Where the process reads its standard input from: nothing, or the same pseudo-terminal,
    // so that it asks its questions as it would ask a person and the test can answer them.
    enum class Input { Nothing, Terminal };

    explicit Zq3Process(const std::vector<std::string>& arguments,
                        const std::vector<std::string>& environment = {},
                        Input input = Input::Nothing);
    // Kills a process that is still running, so that a failed test does not leave it working.
    ~Zq3Process();
    Zq3Process(const Zq3Process&) = delete;
    Zq3Process& operator=(const Zq3Process&) = delete;

    // Empty once the process runs; otherwise what kept it from starting.
    const std::string& startFailure() const { return startFailure_; }

    // Reads the process's standard error until it holds text; false when the process closed
    // its outputs first or the deadline passed.
    bool waitForError(const std::string& text,
                      std::chrono::steady_clock::duration deadline = kGenerousDeadline);
    const std::string& errorSoFar() const { return err_; }

    void signal(int number) const;
    // Types text on the process's terminal; for Input::Terminal.
    bool type(const std::string& text) const;

    // Reads the rest of what the process prints and waits for its end. A process still running
    // at the deadline is killed, and its result says so.
    CommandResult finish(std::chrono::steady_clock::duration deadline = kGenerousDeadline);

    // The process's TMPDIR, a directory of its own.
    std::string temporaryDirectory() const { return capture_ / "tmp"; }

private:
    // Takes what has arrived on the outputs, waiting for it at most timeoutMs (-1: no limit);
    // false once both outputs have closed.
    bool readSome(int timeoutMs);
    void reap(bool kill);

    TemporaryDirectory capture_;
    pid_t child_ = -1;
    int exitCode_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    std::string out_;
    std::string err_;
    std::string startFailure_;
};

} // namespace ZQ3::Fixture
