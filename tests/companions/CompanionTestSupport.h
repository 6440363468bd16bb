#pragma once

// Helpers shared by the companion and host tests: the companions loaded from the output folder, a
// running stand-in service, temporary folders.

#include "PrivateInstall.h"
#include "ServiceProcess.h"
#include "../host/CommandRun.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace tessaly::testing {

inline std::string OutPath(const std::string& name) { return std::string(TESSALY_OUT_DIR) + "/" + name; }

// A shared object opened for one test; symbols looked up by name.
class LoadedLibrary {
public:
    explicit LoadedLibrary(const std::string& path) : m_handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
    {
        const char* reason = m_handle ? nullptr : dlerror();
        if (reason)
            m_error = reason;
    }
    ~LoadedLibrary()
    {
        if (m_handle)
            dlclose(m_handle);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    bool ok() const { return m_handle != nullptr; }
    const std::string& error() const { return m_error; }

    template <typename Fn>
    Fn Get(const char* name) const
    {
        return m_handle ? reinterpret_cast<Fn>(dlsym(m_handle, name)) : nullptr;
    }

private:
    void* m_handle;
    std::string m_error;
};

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessaly-test-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~TempDir()
    {
        std::error_code ec;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// One stand-in service per test suite, on a free port.
class ServiceSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        s_service = host::ServiceProcess::Start(OutPath("tessaly-service"), {"--port", "0"}, error);
        ASSERT_TRUE(s_service) << error;
    }
    static void TearDownTestSuite() { s_service.reset(); }
    void SetUp() override { ASSERT_TRUE(s_service) << "the stand-in service did not start"; }
    static std::string Url(const std::string& path) { return s_service->BaseUrl() + path; }

    static inline std::unique_ptr<host::ServiceProcess> s_service;
};

// A private install pointed at the suite's running service, as an administrator would set one up.
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

// A port on 127.0.0.1 that nothing listens on (bound once to find it, then released).
int ClosedPort();

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

}  // namespace tessaly::testing
