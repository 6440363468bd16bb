// Load, call and unload libtessaly.so the way a host does. Each scenario runs in a child process so
// that the library's one-time start-up and its global trace log start fresh every time.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <regex>

#include <tessaly/tessaly.h>

#include "common/ChildProcess.h"
#include "common/TempDir.h"
#include "common/TracingStore.h"

namespace {

namespace fs = std::filesystem;
using tessaly::test::kDebugOn;
using tessaly::test::TempDir;

constexpr std::string_view kDebugOff =
    "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\pelmorix\\Orvane3.0]\n\"Debug\"=\"0\"\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\"QuillonDebugFlag\"=dword:00000000\n";

// A private copy of the library in <dir>/lib/ with an empty Config/ beside it.
class InstalledLibrary {
public:
    InstalledLibrary()
    {
        fs::create_directories(dir.path() / "lib/Config");
        fs::copy_file(fs::path(TESSALY_OUT_DIR) / "libtessaly.so", dir.path() / "lib/libtessaly.so");
    }
    std::string library() const { return dir.file("lib/libtessaly.so"); }
    std::string config(std::string_view name) const { return dir.file("lib/Config/" + std::string(name)); }
    TempDir dir;
};

// Runs `body` in a child process; its result (0 = success) is the exit code, -1 when it did not exit
// within a minute.
int InChild(const std::function<int()>& body) { return tessaly::test::RunInChild(body, std::chrono::minutes(1)).exitCode; }

template <typename Fn>
Fn Export(void* lib, const char* name)
{
    return reinterpret_cast<Fn>(::dlsym(lib, name));
}

using PreLoginFn = int (*)(PreLoginRequest*, PreLoginResult*);
using RedirectFn = int (*)();

// Loads the library, makes one PreLogin call that cannot succeed (no companions beside this copy)
// and unloads it again. Returns 0 when all of that behaved.
int LoadCallUnload(const std::string& library)
{
    void* lib = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib)
        return 1;
    auto preLogin = Export<PreLoginFn>(lib, "PreLogin");
    if (!preLogin)
        return 2;
    PreLoginRequest request {};
    PreLoginResult result {};
    TessalyStringSetUtf8(&request.m_strUserName, "alice");
    TessalyStringSetUtf8(&request.m_strPassword, "00ff");
    const int accepted = preLogin(&request, &result);
    TessalyStringFree(&request.m_strUserName);
    TessalyStringFree(&request.m_strPassword);
    TessalyStringFree(&result.m_strMessage);
    if (accepted != 0)
        return 3;
    return ::dlclose(lib) == 0 ? 0 : 4;
}

TEST(ModuleLoad, WithTheSwitchOnTheLogGoesToConfigBesideTheLibrary)
{
    InstalledLibrary installed;
    tessaly::test::WriteFile(installed.dir.file("on.reg"), kDebugOn);
    const fs::path cwd = installed.dir.path() / "cwd";
    fs::create_directory(cwd);
    ASSERT_EQ(InChild([&] {
                  ::setenv("TESSALY_REGISTRY", installed.dir.file("on.reg").c_str(), 1);
                  fs::current_path(cwd);
                  return LoadCallUnload(installed.library());
              }),
              0);
    const std::string log = tessaly::test::ReadFile(installed.config("UILogTrace.txt"));
    ASSERT_FALSE(log.empty());
    const std::string first = log.substr(0, log.find('\n') + 1);
    EXPECT_TRUE(std::regex_match(first, std::regex(R"(TID:\d{6,} \[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\]     .+\n)")))
        << first;
    EXPECT_TRUE(fs::is_empty(cwd));  // nothing under a default or relative name
}

TEST(ModuleLoad, WithTheSwitchesOffNoFileIsCreated)
{
    InstalledLibrary installed;
    tessaly::test::WriteFile(installed.dir.file("off.reg"), kDebugOff);
    for (const std::string& store : {installed.dir.file("off.reg"), installed.dir.file("missing.reg")}) {
        ASSERT_EQ(InChild([&] {
                      ::setenv("TESSALY_REGISTRY", store.c_str(), 1);
                      return LoadCallUnload(installed.library());
                  }),
                  0);
        EXPECT_TRUE(fs::is_empty(installed.dir.path() / "lib/Config")) << store;
    }
}

TEST(ModuleLoad, ExportsFailHonestlyOnNullRecordsAndWithoutADisplay)
{
    InstalledLibrary installed;
    EXPECT_EQ(InChild([&] {
                  ::unsetenv("DISPLAY");
                  ::unsetenv("WAYLAND_DISPLAY");
                  ::setenv("TESSALY_REGISTRY", installed.dir.file("missing.reg").c_str(), 1);
                  void* lib = ::dlopen(installed.library().c_str(), RTLD_NOW | RTLD_LOCAL);
                  if (!lib)
                      return 1;
                  auto preLogin = Export<PreLoginFn>(lib, "PreLogin");
                  auto redirect = Export<RedirectFn>(lib, "Redirect");
                  PreLoginRequest request {};
                  PreLoginResult result {};
                  result.m_nCode = 12345;
                  if (preLogin(nullptr, nullptr) != 0 || preLogin(&request, nullptr) != 0)
                      return 2;
                  if (preLogin(nullptr, &result) != 0 || result.m_nCode != -1)
                      return 3;
                  if (preLogin(&request, &result) != 0)  // empty name and password
                      return 4;
                  TessalyStringFree(&result.m_strMessage);
                  if (redirect() != -1)
                      return 5;
                  return ::dlclose(lib) == 0 ? 0 : 6;
              }),
              0);
}

TEST(ModuleLoad, LoadsAndUnloadsRepeatedly)
{
    InstalledLibrary installed;
    EXPECT_EQ(InChild([&] {
                  ::setenv("TESSALY_REGISTRY", installed.dir.file("missing.reg").c_str(), 1);
                  for (int i = 0; i < 5; ++i)
                      if (const int rc = LoadCallUnload(installed.library()); rc != 0)
                          return 10 + rc;
                  return 0;
              }),
              0);
}

}  // namespace
