#pragma once
// Child processes for tests, always under a time limit, so that a hang becomes a failure instead of
// a stuck suite: a piece of the test forked off (process-wide settings such as resource limits or
// dropped privileges stay in the child), or a program run with a changed environment.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/ProcessCensus.h"
#include "common/TempDir.h"

extern char** environ;

namespace tessaly::test {

struct ChildOutcome {
    bool timedOut = false;
    bool exited = false;
    int exitCode = -1;  // -1 unless it exited
    int signal = 0;

    std::string Describe() const
    {
        return timedOut ? "timed out" : "exit " + std::to_string(exitCode) + ", signal " + std::to_string(signal);
    }
};

// Reaps `pid`, killing it once `limit` has passed.
inline ChildOutcome AwaitChild(pid_t pid, std::chrono::milliseconds limit)
{
    ChildOutcome outcome;
    if (pid < 0)
        return outcome;
    int status = 0;
    if (!WaitUntil([&] { return ::waitpid(pid, &status, WNOHANG) != 0; }, limit)) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        outcome.timedOut = true;
        return outcome;
    }
    outcome.exited = WIFEXITED(status);
    outcome.exitCode = outcome.exited ? WEXITSTATUS(status) : -1;
    outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return outcome;
}

// `body` returns the child's exit code (0 = passed; 98 when it threw).
inline ChildOutcome RunInChild(const std::function<int()>& body, std::chrono::milliseconds limit)
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
    return AwaitChild(pid, limit);
}

struct ProgramRun : ChildOutcome {
    std::string out;
    std::string err;

    // "<label> <code>" lines: every code reported under the label, in order.
    std::vector<int> Results(const std::string& label) const
    {
        std::vector<int> codes;
        std::istringstream lines(out);
        std::string name;
        int code = 0;
        while (lines >> name >> code)
            if (name == label)
                codes.push_back(code);
        return codes;
    }
    // The rest of the first line that starts with "<label> ".
    std::string Field(const std::string& label) const
    {
        const auto at = out.find(label + " ");
        return at == std::string::npos ? "" : out.substr(at + label.size() + 1, out.find('\n', at) - at - label.size() - 1);
    }
    std::string Describe() const { return ChildOutcome::Describe() + "\nstdout:\n" + out + "stderr:\n" + err; }
};

// Runs `program` with the environment changed by `env` (an empty value removes the variable); its
// output goes through files in `scratch`.
inline ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::map<std::string, std::string>& env, const std::filesystem::path& scratch,
                             std::chrono::milliseconds limit)
{
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> envp;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (!env.count(entry.substr(0, entry.find('='))))
            envp.push_back(entry);
    }
    for (const auto& [name, value] : env)
        if (!value.empty())
            envp.push_back(name + "=" + value);
    auto pointers = [](std::vector<std::string>& strings) {
        std::vector<char*> out;
        for (std::string& s : strings)
            out.push_back(s.data());
        out.push_back(nullptr);
        return out;
    };
    std::vector<char*> argPointers = pointers(argv), envPointers = pointers(envp);
    const std::filesystem::path outFile = scratch / "out.txt", errFile = scratch / "err.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, argPointers[0], &actions, nullptr, argPointers.data(), envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    ProgramRun run;
    if (spawned != 0)
        return run;
    static_cast<ChildOutcome&>(run) = AwaitChild(pid, limit);
    run.out = ReadFile(outFile);
    run.err = ReadFile(errFile);
    return run;
}

}  // namespace tessaly::test
