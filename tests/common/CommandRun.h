#pragma once
// A shell command run for a test, its standard output (and by default its standard error) read.

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace tessaly::test {

struct CommandRun {
    int exitCode = -1;  // -1 when it ended by a signal or could not start
    std::string output;
};

// Starts at construction, so several commands run side by side; Await() reads the output to the end
// and reaps the command.
class RunningCommand {
public:
    explicit RunningCommand(const std::string& command, bool withErrors = true)
        : m_pipe(popen((withErrors ? command + " 2>&1" : command).c_str(), "r"))
    {
    }
    RunningCommand(const RunningCommand&) = delete;
    RunningCommand& operator=(const RunningCommand&) = delete;
    ~RunningCommand() { Await(); }

    // The next line of output with its '\n' (empty at the end), read while the command runs.
    std::string ReadLine()
    {
        char line[4096] = {};
        return m_pipe && std::fgets(line, sizeof line, m_pipe) ? line : "";
    }

    CommandRun Await()
    {
        if (!m_pipe)
            return m_run;
        char buffer[4096];
        while (const std::size_t n = fread(buffer, 1, sizeof buffer, m_pipe))
            m_run.output.append(buffer, n);
        const int status = pclose(m_pipe);
        m_pipe = nullptr;
        m_run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return m_run;
    }

private:
    FILE* m_pipe;
    CommandRun m_run;
};

// Runs `command` to its end; only its standard output is read.
inline CommandRun RunCommand(const std::string& command)
{
    return RunningCommand(command, false).Await();
}

// The word in single quotes for the shell.
inline std::string ShellQuote(const std::string& word)
{
    std::string quoted = "'";
    for (const char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace tessaly::test
