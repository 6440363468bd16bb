#pragma once
// The stand-in service of a test suite, Linux side: the suite starts tessaly-service itself. Programs
// that use it link tessaly_host_parts, which holds the service runner.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "ServiceProcess.h"

namespace tessaly::test::system {

using SuiteService = host::ServiceProcess;

// The service at `program` on a free port; null (and `error` says why) when it did not start.
inline std::unique_ptr<SuiteService> StartSuiteService(const std::string& program, std::string& error)
{
    return host::ServiceProcess::Start(program, {"--port", "0"}, error);
}

inline int ClosedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    int port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

}  // namespace tessaly::test::system
