// Several tessaly-host processes at once, each closing only its own redirect window: every host has
// a shared block of its own, so none takes another's over, and hosts of two users work side by side.

#include "common/CommandRun.h"
#include "common/StandInService.h"
#include "common/TempDir.h"

#include <pwd.h>
#include <unistd.h>

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;

class SideBySideHostsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display (the suite runs under xvfb-run)";
        std::string error;
        // The target page waits for a click; only its host closes a window before the page's own
        // fallback 60 s later, which the checks below tell apart.
        m_service = StartService(error, {"--auto-continue", "60"});
        ASSERT_TRUE(m_service) << error;
        m_install = InstallFor(*m_service, error);
        ASSERT_TRUE(m_install) << error;
        fs::copy_file(OutPath("tessaly-host"), m_install->Root() / "tessaly-host");
    }

    std::string HostCommand(const std::string& prefix = "") const
    {
        const fs::path root = m_install->Root();
        return prefix + " " + ShellQuote((root / "tessaly-host").string()) + " --library " +
               ShellQuote((root / "libtessaly.so").string()) + " redirect --close-after 4";
    }

    static void ExpectClosedItsOwnWindow(const CommandRun& run, const char* who)
    {
        EXPECT_EQ(run.exitCode, 0) << who << "\n" << run.output;
        EXPECT_NE(run.output.find("close-after: time is up: sent the close message to 1 window(s)"), std::string::npos)
            << who << "\n" << run.output;
        EXPECT_NE(run.output.find("Redirect returned 1 (OK)"), std::string::npos) << who << "\n" << run.output;
    }

    std::unique_ptr<host::ServiceProcess> m_service;
    std::unique_ptr<host::PrivateInstall> m_install;
};

TEST_F(SideBySideHostsTest, TwoHostsOfOneUserEachCloseTheirOwnWindow)
{
    RunningCommand first(HostCommand());
    RunningCommand second(HostCommand());
    ExpectClosedItsOwnWindow(first.Await(), "first host");
    ExpectClosedItsOwnWindow(second.Await(), "second host");
}

TEST_F(SideBySideHostsTest, HostsOfTwoUsersEachCloseTheirOwnWindow)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "running a host as a second user (nobody) needs root";
    const passwd* nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    // What the second user needs: the install folder, a home and runtime folder of its own, and the
    // right to use this X display.
    TempDir home;
    const fs::path runtime = home.path() / "runtime";
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    fs::permissions(home.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(m_install->Root(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                           fs::perms::others_read | fs::perms::others_exec);
    std::string xauthority;
    if (const char* file = std::getenv("XAUTHORITY"); file && fs::exists(file)) {
        fs::copy_file(file, runtime / "Xauthority");
        xauthority = " XAUTHORITY=" + ShellQuote((runtime / "Xauthority").string());
    }
    for (const fs::path& path : fs::recursive_directory_iterator(home.path()))
        ASSERT_EQ(::chown(path.c_str(), nobody->pw_uid, nobody->pw_gid), 0) << path;
    const std::string asNobody = "setpriv --reuid=" + std::to_string(nobody->pw_uid) +
                                 " --regid=" + std::to_string(nobody->pw_gid) +
                                 " --clear-groups env -u DBUS_SESSION_BUS_ADDRESS HOME=" + ShellQuote(runtime.string()) +
                                 " XDG_RUNTIME_DIR=" + ShellQuote(runtime.string()) + xauthority;

    RunningCommand ours(HostCommand());
    RunningCommand theirs(HostCommand(asNobody));
    ExpectClosedItsOwnWindow(ours.Await(), "this user's host");
    ExpectClosedItsOwnWindow(theirs.Await(), "nobody's host");
}

}  // namespace
}  // namespace tessaly::test
