#include "tests/cli/run_zq3.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace ZQ3::Fixture {
namespace {

int ExitCodeOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Starts zq3 with the given descriptors as its standard output and error. The converter's
// temporary files have fixed names and tests run in parallel, so each run is given the
// temporary directory passed here, one of its own; the locale is cleared so that it speaks
// English whatever the machine's settings.
pid_t Launch(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
             const std::string& temporary, int out, int err, int in = -1) {
    std::filesystem::create_directory(temporary);
    // Everything the child needs is made before the fork.
    std::vector<std::string> settings{"TMPDIR=" + temporary};
    settings.insert(settings.end(), environment.begin(), environment.end());
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(ZQ3_CLI_PATH));
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0) {
        const int input = in >= 0 ? in : ::open("/dev/null", O_RDONLY);
        ::dup2(input, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            ::unsetenv(name);
        }
        for (auto& setting : settings) {
            ::putenv(setting.data());
        }
        ::execv(ZQ3_CLI_PATH, argv.data());
        ::_exit(127);
    }
    return child;
}

void CloseOnExec(int descriptor) {
    ::fcntl(descriptor, F_SETFD, ::fcntl(descriptor, F_GETFD) | FD_CLOEXEC);
}

void Close(int& descriptor) {
    if (descriptor >= 0) {
        ::close(descriptor);
        descriptor = -1;
    }
}

} // namespace

CommandResult RunZq3(const std::vector<std::string>& arguments,
                     const std::vector<std::string>& environment) {
    TemporaryDirectory capture;
    const std::string outPath = capture / "out";
    const std::string errPath = capture / "err";
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const pid_t child = Launch(arguments, environment, capture / "tmp", out, err);
    ::close(out);
    ::close(err);
    CommandResult result;
    int status = 0;
    struct rusage usage {};
    if (child > 0 && ::wait4(child, &status, 0, &usage) == child) {
        result.exitCode = ExitCodeOf(status);
        result.peakKilobytes = usage.ru_maxrss;
    }
    result.out = ReadFileBytes(outPath);
    result.err = ReadFileBytes(errPath);
    return result;
}

Zq3Process::Zq3Process(const std::vector<std::string>& arguments,
                       const std::vector<std::string>& environment, Input input) {
    int outPipe[2] = {-1, -1};
    if (::pipe2(outPipe, O_CLOEXEC) != 0) {
        startFailure_ = std::string("pipe: ") + std::strerror(errno);
        return;
    }
    outFd_ = outPipe[0];
    int terminal = -1;
    errFd_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (errFd_ >= 0 && ::grantpt(errFd_) == 0 && ::unlockpt(errFd_) == 0) {
        CloseOnExec(errFd_);
        if (const char* name = ::ptsname(errFd_)) {
            terminal = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        }
    }
    if (terminal < 0) {
        startFailure_ = std::string("no pseudo-terminal: ") + std::strerror(errno);
        ::close(outPipe[1]);
        return;
    }
    // Raw, so that what the process writes arrives byte for byte.
    termios settings{};
    ::tcgetattr(terminal, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(terminal, TCSANOW, &settings);

    child_ = Launch(arguments, environment, temporaryDirectory(), outPipe[1], terminal,
                    input == Input::Terminal ? terminal : -1);
    // Only the child holds the writing ends now, so the outputs close when it ends.
    ::close(outPipe[1]);
    ::close(terminal);
    if (child_ < 0) {
        startFailure_ = std::string("fork: ") + std::strerror(errno);
    }
}

Zq3Process::~Zq3Process() {
    reap(true);
    Close(outFd_);
    Close(errFd_);
}

bool Zq3Process::readSome(int timeoutMs) {
    pollfd watched[2];
    nfds_t count = 0;
    for (const int descriptor : {outFd_, errFd_}) {
        if (descriptor >= 0) {
            watched[count++] = {descriptor, POLLIN, 0};
        }
    }
    if (count == 0) {
        return false;
    }
    if (::poll(watched, count, timeoutMs) < 0) {
        return errno == EINTR;
    }
    for (nfds_t i = 0; i < count; ++i) {
        if (watched[i].revents == 0) {
            continue;
        }
        int& descriptor = watched[i].fd == outFd_ ? outFd_ : errFd_;
        std::string& text = watched[i].fd == outFd_ ? out_ : err_;
        char buffer[4096];
        const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            // A pipe reads as ended; a pseudo-terminal whose other side has closed reports EIO.
            Close(descriptor);
        }
    }
    return outFd_ >= 0 || errFd_ >= 0;
}

bool Zq3Process::waitForError(const std::string& text,
                              std::chrono::steady_clock::duration deadline) {
    using namespace std::chrono;
    const auto end = steady_clock::now() + deadline;
    while (err_.find(text) == std::string::npos) {
        const auto left = ceil<milliseconds>(end - steady_clock::now()).count();
        if (left <= 0 || !readSome(static_cast<int>(std::min<long long>(left, 1000)))) {
            return err_.find(text) != std::string::npos;
        }
    }
    return true;
}

bool Zq3Process::type(const std::string& text) const {
    return ::write(errFd_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

void Zq3Process::signal(int number) const {
    if (child_ > 0) {
        ::kill(child_, number);
    }
}

CommandResult Zq3Process::finish(std::chrono::steady_clock::duration deadline) {
    using namespace std::chrono;
    const auto end = steady_clock::now() + deadline;
    for (;;) {
        const auto left = ceil<milliseconds>(end - steady_clock::now()).count();
        if (left <= 0 || !readSome(static_cast<int>(std::min<long long>(left, 1000)))) {
            break;
        }
    }
    reap(outFd_ >= 0 || errFd_ >= 0);
    return {exitCode_, out_, err_};
}

void Zq3Process::reap(bool kill) {
    if (child_ <= 0) {
        return;
    }
    if (kill) {
        ::kill(child_, SIGKILL);
    }
    int status = 0;
    if (::waitpid(child_, &status, 0) == child_) {
        exitCode_ = ExitCodeOf(status);
    }
    child_ = -1;
}

} // namespace ZQ3::Fixture
