#pragma once
// Runs one of the project's programs as a child process, the way a
// scheduler or an operator does: with its own environment, a time limit,
// and optionally a kill at a chosen moment.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace test_support {

struct ProcessResult {
    int exitCode = -1;  // -1 when the process did not exit by itself
    int signal = 0;     // the signal that ended it, 0 when none
    bool timedOut = false;
};

struct ProcessOptions {
    std::map<std::string, std::string> env;  // set on top of the test's own
    std::vector<std::string> unset;          // removed from it
    std::string stdoutFile = "/dev/null";
    std::string stderrFile = "/dev/null";
    std::chrono::milliseconds timeout{120000};
    // Sends SIGKILL after this long, as a power cut would end the run.
    std::chrono::milliseconds killAfter{0};
};

// Starts the program without waiting for it: its process id, -1 when it
// could not be started. WaitProcess collects it.
inline pid_t StartProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {}) {
    // The child's freopen would write out whatever the parent still buffers.
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        for (const auto& name : options.unset) ::unsetenv(name.c_str());
        for (const auto& [name, value] : options.env) ::setenv(name.c_str(), value.c_str(), 1);
        if (!std::freopen(options.stdoutFile.c_str(), "w", stdout)) ::_exit(126);
        if (!std::freopen(options.stderrFile.c_str(), "w", stderr)) ::_exit(126);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    return pid;
}

// Waits for a started process, killing it as the options say (their times
// count from now).
inline ProcessResult WaitProcess(pid_t pid, const ProcessOptions& options = {}) {
    ProcessResult result;
    if (pid < 0) return result;
    const auto start = std::chrono::steady_clock::now();
    bool killed = false;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (!killed && options.killAfter.count() > 0 && elapsed >= options.killAfter) {
            ::kill(pid, SIGKILL);
            killed = true;
        }
        if (!killed && elapsed >= options.timeout) {
            ::kill(pid, SIGKILL);
            killed = true;
            result.timedOut = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

inline ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {}) {
    return WaitProcess(StartProcess(argv, options), options);
}

}  // namespace test_support
