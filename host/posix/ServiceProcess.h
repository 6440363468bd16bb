#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace tessaly::host {

// A running tessaly-service child: started with the given arguments, its port read from the first
// line it prints; stopped with SIGTERM (then SIGKILL if it lingers) when this object goes away. The
// child also receives SIGTERM if this process dies first.
class ServiceProcess {
public:
    static std::unique_ptr<ServiceProcess> Start(const std::string& program, const std::vector<std::string>& arguments,
                                                 std::string& error,
                                                 std::chrono::milliseconds startTimeout = std::chrono::seconds(15));

    struct Key {
    private:
        Key() = default;
        friend class ServiceProcess;
    };
    ServiceProcess(Key, pid_t pid, int output) : m_pid(pid), m_output(output) {}
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;
    ~ServiceProcess();

    int Port() const { return m_port; }
    std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(m_port); }

    // Stops the child; returns its exit status (0 for a clean shut-down), or -1 when it had to be
    // killed or could not be reaped.
    int Stop();

private:
    bool ReadPort(std::chrono::milliseconds timeout, std::string& error);

    pid_t m_pid;
    int m_output;
    int m_port = 0;
};

}  // namespace tessaly::host
