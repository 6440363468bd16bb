// tessaly-host as a user runs it on Linux: a separate process that loads libtessaly.so, against a
// running tessaly-service: its redirect window, its demo, and the stand-in service itself. The checks
// that hold on both systems are in HostCommandsTest.cpp.

#include "HostTestSystem.h"
#include "common/LoadedLibrary.h"
#include "common/StandInService.h"
#include "common/TempDir.h"

#include <fstream>
#include <regex>

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;

using HostRun = ProgramRun;  // stdout and stderr together

HostRun RunHost(const std::vector<std::string>& args) { return RunProgram(ProgramFile("tessaly-host"), args); }

// The redirect window of a host, closed by the host through its window message list.
class HostRedirectTest : public ServiceInstallSuite {};

TEST_F(HostRedirectTest, RedirectWindowIsClosedThroughTheHostsList)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X display (the suite runs under xvfb-run)";
    // This service's target page waits for a click that never comes, so only the host can close it.
    const HostRun run = RunHost({"--library", m_install->LibraryPath().string(), "redirect", "--close-after", "4"});
    EXPECT_EQ(run.output.find("window is not available"), std::string::npos) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("close-after: time is up: sent the close message to 1 window(s)"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("Redirect returned 1 (OK)"), std::string::npos) << run.output;
}

TEST(HostDemoTest, RunsEndToEndAndCleansUp)
{
    const HostRun run = RunHost({"demo", "--close-after", "40"});
    EXPECT_NE(run.output.find("demo: tessaly-service listens on http://127.0.0.1:"), std::string::npos) << run.output;
    std::smatch copy;
    ASSERT_TRUE(std::regex_search(run.output, copy, std::regex("private copy of the install folder in (\\S+),")))
        << run.output;
    EXPECT_FALSE(fs::exists(copy[1].str())) << "the private copy is removed again";
    EXPECT_NE(run.output.find("tessaly-service: stopped"), std::string::npos) << "the service shut down cleanly";
    EXPECT_NE(run.output.find("alice with a wrong password: PreLogin refused"), std::string::npos) << run.output;

    EXPECT_EQ(run.output.find("no reply from the login service"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("window is not available"), std::string::npos) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("alice with her password: PreLogin accepted (code 0)"), std::string::npos) << run.output;
    EXPECT_TRUE(std::regex_search(run.output, std::regex("Redirect returned [0-9]+ \\("))) << run.output;
}

// The stand-in service on its own: its accounts, its command line, its shut-down.
class ServiceAccountsTest : public ServiceSuite {
protected:
    std::string Login(const std::string& query)
    {
        LoadedLibrary agent(OutPath("Trelvin.so"));
        const auto request = agent.Get<int (*)(const char*, char*, std::uint32_t*)>("requestDataFromUrl");
        char reply[128] = {};
        std::uint32_t length = sizeof reply;
        if (!request || request(Url("/login?" + query).c_str(), reply, &length) != 0)
            return "(no reply)";
        return std::string(reply, length);
    }
};

TEST_F(ServiceAccountsTest, AnswersEveryReplyCodeOfTheLoginService)
{
    EXPECT_EQ(Login("user=alice&pwd=wonderland&ip=10.1.2.3"), "0");
    EXPECT_EQ(Login("user=alice&pwd=wonderland"), "0") << "the address is not checked";
    EXPECT_EQ(Login("user=alice&pwd=Wonderland"), "-102") << "passwords are case-sensitive";
    EXPECT_EQ(Login("user=Alice&pwd=wonderland"), "-101") << "so are user names";
    EXPECT_EQ(Login("user=&pwd="), "-101");
    EXPECT_EQ(Login(""), "-101");
    EXPECT_EQ(Login("user=dave&pwd=first"), "-103");
    EXPECT_EQ(Login("user=bob&pwd=builder"), "-104");
    EXPECT_EQ(Login("user=bob&pwd=wrong"), "-102");
    EXPECT_EQ(Login("user=carol&pwd=singer"), "-105");
    EXPECT_EQ(Login("user=erin&pwd=whatever"), "-7");
}

TEST(ServiceCommandLineTest, StopsCleanlyOnSigterm)
{
    std::string error;
    auto service = StartService(error);
    ASSERT_TRUE(service) << error;
    EXPECT_EQ(service->Stop(), 0);
}

TEST(ServiceCommandLineTest, BadArgumentsAndUsersFilesAreReported)
{
    const auto run = [](const std::string& args) {
        const std::string command = ShellQuote(OutPath("tessaly-service")) + " " + args + " 2>&1";
        return RunCommand(command);
    };
    EXPECT_EQ(run("--port 70000").exitCode, 2);
    EXPECT_EQ(run("--port").exitCode, 2);
    EXPECT_EQ(run("--target welcome").exitCode, 2) << "a target path starts with /";
    EXPECT_EQ(run("--frobnicate 1").exitCode, 2);
    EXPECT_EQ(run("--help").exitCode, 0);

    TempDir dir;
    const auto missing = run("--port 0 --users " + ShellQuote((dir.path() / "none").string()));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find("cannot read users file"), std::string::npos) << missing.output;

    std::ofstream(dir.path() / "users") << "# accounts\nalice wonderland active\nbob builder retired\n";
    const auto malformed = run("--port 0 --users " + ShellQuote((dir.path() / "users").string()));
    EXPECT_EQ(malformed.exitCode, 1);
    EXPECT_NE(malformed.output.find("line 3"), std::string::npos) << malformed.output;
}

}  // namespace
}  // namespace tessaly::test
