#pragma once
// Runs a piece of a test in a forked child, so that a hang becomes a time-out and process-wide
// settings (resource limits) stay in the child.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

namespace tessaly::test {

struct ChildOutcome {
    bool timedOut = false;
    bool exited = false;
    int exitCode = -1;
    int signal = 0;
};

// `body` returns the child's exit code (0 = passed). The child is killed after `limit`.
inline ChildOutcome RunInChild(const std::function<int()>& body, std::chrono::seconds limit)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        int code = 99;
        try {
            code = body();
        } catch (...) {
            code = 98;
        }
        ::_exit(code);
    }
    ChildOutcome outcome;
    if (pid < 0)
        return outcome;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            outcome.timedOut = true;
            return outcome;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    outcome.exited = WIFEXITED(status);
    outcome.exitCode = outcome.exited ? WEXITSTATUS(status) : -1;
    outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return outcome;
}

}  // namespace tessaly::test
