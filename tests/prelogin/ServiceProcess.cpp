#include "ServiceProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

extern char** environ;

namespace tessaly::test {

namespace {

// Reads the first line within a few seconds; empty on time-out or end of output.
std::string FirstLine(int fd)
{
    std::string line;
    pollfd pfd{fd, POLLIN, 0};
    while (line.find('\n') == std::string::npos && ::poll(&pfd, 1, 10000) > 0) {
        char chunk[256];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0)
            break;
        line.append(chunk, static_cast<std::size_t>(n));
    }
    return line.substr(0, line.find('\n'));
}

}  // namespace

ServiceProcess::ServiceProcess(const std::vector<std::string>& extraArgs)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return;
    std::vector<std::string> args{std::string(TESSALY_OUT_DIR) + "/tessaly-service", "--port", "0"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = ::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        m_pid = -1;
        ::close(pipeFds[0]);
        return;
    }
    const std::string line = FirstLine(pipeFds[0]);
    ::close(pipeFds[0]);
    const std::string prefix = "listening on 127.0.0.1:";
    if (line.rfind(prefix, 0) == 0)
        m_port = std::atoi(line.c_str() + prefix.size());
}

ServiceProcess::~ServiceProcess()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
}

std::string ServiceProcess::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

}  // namespace tessaly::test
