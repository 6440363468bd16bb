#include "ServiceProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <thread>

namespace tessaly::host {
namespace {

constexpr std::string_view kListeningPrefix = "listening on 127.0.0.1:";

// Waits for the child to end within `timeout`; true and its status when it did.
bool WaitFor(pid_t pid, std::chrono::milliseconds timeout, int& status)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR))
            return done == pid;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

std::unique_ptr<ServiceProcess> ServiceProcess::Start(const std::string& program,
                                                      const std::vector<std::string>& arguments, std::string& error,
                                                      std::chrono::milliseconds startTimeout)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return nullptr;
    }
    // Everything the child needs is prepared before fork: only async-signal-safe calls after it.
    std::vector<std::string> argvStrings{program};
    argvStrings.insert(argvStrings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : argvStrings)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(127);
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    if (pid < 0) {
        ::close(pipeFds[0]);
        error = std::string("fork: ") + std::strerror(errno);
        return nullptr;
    }
    auto service = std::make_unique<ServiceProcess>(Key{}, pid, pipeFds[0]);
    if (!service->ReadPort(startTimeout, error))
        return nullptr;  // the destructor stops and reaps the child
    return service;
}

bool ServiceProcess::ReadPort(std::chrono::milliseconds timeout, std::string& error)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string line;
    while (line.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd pfd{m_output, POLLIN, 0};
        const int ready = left.count() > 0 ? ::poll(&pfd, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            error = "the service did not report its port in time";
            return false;
        }
        char buffer[256];
        const ssize_t n = ::read(m_output, buffer, sizeof buffer);
        if (n <= 0) {
            error = "the service ended before it reported its port (is the program there and its users file readable?)";
            return false;
        }
        line.append(buffer, static_cast<std::size_t>(n));
    }
    line.erase(line.find('\n'));
    if (line.rfind(kListeningPrefix, 0) != 0) {
        error = "unexpected first line from the service: " + line;
        return false;
    }
    const char* first = line.data() + kListeningPrefix.size();
    const char* last = line.data() + line.size();
    const auto [end, ec] = std::from_chars(first, last, m_port);
    if (ec != std::errc() || end != last || m_port <= 0 || m_port > 65535) {
        error = "bad port in: " + line;
        return false;
    }
    return true;
}

int ServiceProcess::Stop()
{
    if (m_pid <= 0)
        return -1;
    int status = 0;
    int result = -1;
    ::kill(m_pid, SIGTERM);
    if (WaitFor(m_pid, std::chrono::seconds(5), status)) {
        result = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    } else {
        ::kill(m_pid, SIGKILL);
        WaitFor(m_pid, std::chrono::seconds(5), status);
    }
    m_pid = -1;
    return result;
}

ServiceProcess::~ServiceProcess()
{
    Stop();
    if (m_output >= 0)
        ::close(m_output);
}

}  // namespace tessaly::host
