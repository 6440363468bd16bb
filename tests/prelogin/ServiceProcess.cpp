#include "ServiceProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

extern char** environ;

namespace tessaly::test {

ServiceProcess::ServiceProcess()
{
    int out[2];
    if (::pipe(out) != 0)
        return;
    std::string program = std::string(TESSALY_OUT_DIR) + "/tessaly-service";
    char port[] = "--port", zero[] = "0";
    char* argv[] = {program.data(), port, zero, nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv, environ) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    // The first line says "listening on 127.0.0.1:<port>".
    m_stdout = out[0];
    std::string line;
    pollfd pfd{out[0], POLLIN, 0};
    char chunk[256];
    ssize_t n = 0;
    while (m_pid > 0 && line.find('\n') == std::string::npos && ::poll(&pfd, 1, 10000) > 0 &&
           (n = ::read(out[0], chunk, sizeof chunk)) > 0)
        line.append(chunk, static_cast<std::size_t>(n));
    const std::string prefix = "listening on 127.0.0.1:";
    if (line.rfind(prefix, 0) == 0)
        m_port = std::atoi(line.c_str() + prefix.size());
}

ServiceProcess::~ServiceProcess()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
    ::close(m_stdout);
}

}  // namespace tessaly::test
