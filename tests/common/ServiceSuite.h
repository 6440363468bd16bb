#pragma once
// Where the build's output lies, and a fixture that shares one running stand-in service per test
// suite. The service comes from the kit's system part (TestService.h): on Linux the suite starts
// tessaly-service itself; a Windows program cannot start the Linux service, so a Windows test runs
// beside one that tests/wine/with-service.sh started for it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TestService.h"
#include "TestSystem.h"

namespace tessaly::test {

inline std::string OutPath(const std::string& name) { return std::string(TESSALY_OUT_DIR) + "/" + name; }

// A library of the output folder by its name without suffix ("Trelvin": Trelvin.so, Trelvin.dll).
inline std::string OutLibrary(const std::string& name) { return OutPath(name + system::kLibrarySuffix); }

// One stand-in service per test suite.
class ServiceSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        s_service = system::StartSuiteService(OutPath("tessaly-service"), error);
        ASSERT_TRUE(s_service) << error;
    }
    static void TearDownTestSuite() { s_service.reset(); }
    void SetUp() override { ASSERT_TRUE(s_service) << "the stand-in service did not start"; }
    static std::string Url(const std::string& path) { return s_service->BaseUrl() + path; }

    static inline std::unique_ptr<system::SuiteService> s_service;
};

// A port on 127.0.0.1 that nothing listens on (bound once to find it, then released).
using system::ClosedPort;

}  // namespace tessaly::test
