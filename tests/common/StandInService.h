#pragma once
// tessaly-service from the build's output folder, started on a free loopback port for tests, and
// private installs pointed at it; the fixtures of one service per test suite are in ServiceSuite.h, of
// a private install per test in ServiceInstall.h.
// Programs that use it link tessaly_host_parts, which holds the service runner and the private install.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PrivateInstall.h"
#include "ServiceInstall.h"
#include "ServiceProcess.h"
#include "ServiceSuite.h"

namespace tessaly::test {

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

}  // namespace tessaly::test
