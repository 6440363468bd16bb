#pragma once
// A private install of the build's output folder for each test, pointed at the suite's stand-in
// service (ServiceSuite.h), on either system. Programs that use it link tessaly_host_parts, which
// holds the private install.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "PrivateInstall.h"
#include "ServiceSuite.h"

namespace tessaly::test {

// A private install of the output folder for each test, pointed at the suite's running service, as an
// administrator would set one up.
class ServiceInstallSuite : public ServiceSuite {
protected:
    void SetUp() override
    {
        ServiceSuite::SetUp();
        if (HasFatalFailure())
            return;
        std::string error;
        m_install = host::PrivateInstall::Make(TESSALY_OUT_DIR, error);
        ASSERT_TRUE(m_install) << error;
        ASSERT_TRUE(m_install->PointAt(s_service->BaseUrl(), error)) << error;
    }

    std::unique_ptr<host::PrivateInstall> m_install;
};

}  // namespace tessaly::test
