#pragma once
// Runs tessaly-service on a free loopback port for one test and stops it again.
#include <sys/types.h>

namespace tessaly::test {

class ServiceProcess {
public:
    ServiceProcess();
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    int Port() const { return m_port; }  // 0 when the service did not come up

private:
    pid_t m_pid = -1;
    int m_stdout = -1;  // kept open so later output never meets a closed pipe
    int m_port = 0;
};

}  // namespace tessaly::test
