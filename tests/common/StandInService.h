#pragma once
// tessaly-service from the build's output folder, started on a free loopback port for tests, and
// fixtures that share one running service per test suite. Programs that use it link
// tessaly_host_parts, which holds the service runner and the private install.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "PrivateInstall.h"
#include "ServiceProcess.h"

namespace tessaly::test {

inline std::string OutPath(const std::string& name) { return std::string(TESSALY_OUT_DIR) + "/" + name; }

// The service on a free port with `arguments` added; null (and `error` says why) when it did not start.
inline std::unique_ptr<host::ServiceProcess> StartService(std::string& error, const std::vector<std::string>& arguments = {})
{
    std::vector<std::string> all{"--port", "0"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return host::ServiceProcess::Start(OutPath("tessaly-service"), all, error);
}

// A private install of the output folder pointed at `service`, as an administrator would set one up;
// null (and `error` says why) when that failed.
inline std::unique_ptr<host::PrivateInstall> InstallFor(const host::ServiceProcess& service, std::string& error)
{
    auto install = host::PrivateInstall::Make(TESSALY_OUT_DIR, error);
    if (install && !install->PointAt(service.BaseUrl(), error))
        install.reset();
    return install;
}

// One stand-in service per test suite.
class ServiceSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        s_service = StartService(error);
        ASSERT_TRUE(s_service) << error;
    }
    static void TearDownTestSuite() { s_service.reset(); }
    void SetUp() override { ASSERT_TRUE(s_service) << "the stand-in service did not start"; }
    static std::string Url(const std::string& path) { return s_service->BaseUrl() + path; }

    static inline std::unique_ptr<host::ServiceProcess> s_service;
};

// A private install for each test, pointed at the suite's running service.
class ServiceInstallSuite : public ServiceSuite {
protected:
    void SetUp() override
    {
        ServiceSuite::SetUp();
        if (HasFatalFailure())
            return;
        std::string error;
        m_install = InstallFor(*s_service, error);
        ASSERT_TRUE(m_install) << error;
    }

    std::unique_ptr<host::PrivateInstall> m_install;
};

// A port on 127.0.0.1 that nothing listens on (bound once to find it, then released).
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

}  // namespace tessaly::test
