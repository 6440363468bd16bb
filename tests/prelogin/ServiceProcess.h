#pragma once
// Runs tessaly-service on a free loopback port for one test and stops it again.
#include <sys/types.h>

#include <string>
#include <vector>

namespace tessaly::test {

class ServiceProcess {
public:
    explicit ServiceProcess(const std::vector<std::string>& extraArgs = {});
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // 0 when the service did not come up.
    int Port() const { return m_port; }
    std::string Url(const std::string& path) const;

private:
    pid_t m_pid = -1;
    int m_port = 0;
};

}  // namespace tessaly::test
