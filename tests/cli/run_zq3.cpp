#include "tests/cli/run_zq3.h"

#include "tests/support/temporary_directory.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace ZQ3::Fixture {

CommandResult RunZq3(const std::vector<std::string>& arguments,
                     const std::vector<std::string>& environment) {
    TemporaryDirectory capture;
    const std::string outPath = capture / "out";
    const std::string errPath = capture / "err";
    // The converter's temporary files have fixed names; tests run in parallel, so each run
    // gets a temporary directory of its own.
    const std::string temporary = capture / "tmp";
    std::filesystem::create_directory(temporary);
    const std::string temporarySetting = "TMPDIR=" + temporary;

    const pid_t child = ::fork();
    if (child == 0) {
        const int input = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(input, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            ::unsetenv(name);
        }
        ::putenv(const_cast<char*>(temporarySetting.c_str()));
        for (const auto& setting : environment) {
            ::putenv(const_cast<char*>(setting.c_str()));
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(ZQ3_CLI_PATH));
        for (const auto& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(ZQ3_CLI_PATH, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    CommandResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = ReadFileBytes(outPath);
    result.err = ReadFileBytes(errPath);
    return result;
}

} // namespace ZQ3::Fixture
