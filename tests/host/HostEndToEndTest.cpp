// tessaly-host as a user runs it: a separate process that loads libtessaly.so, against a running
// tessaly-service.

#include "common/CommandRun.h"
#include "common/LoadedLibrary.h"
#include "common/StandInService.h"
#include "common/TempDir.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <regex>

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;

using HostRun = CommandRun;  // stdout and stderr together

HostRun RunHost(const std::vector<std::string>& args, const std::string& env = "")
{
    std::string command = env + " " + ShellQuote(OutPath("tessaly-host"));
    for (const auto& a : args)
        command += " " + ShellQuote(a);
    return RunCommand(command + " 2>&1");
}

TEST(HostCommandLineTest, BadArgumentsGiveUsageAndExitCode2)
{
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"fly"},
        {"prelogin"},
        {"prelogin", "--user", "alice"},
        {"prelogin", "--user", "alice", "--password", "a", "--password-hex", "00"},
        {"prelogin", "--user"},
        {"redirect", "--close-after", "soon"},
        {"redirect", "--close-after", "-1"},
        {"redirect", "extra"},
        {"encrypt"},
        {"demo", "--close-after"},
    };
    for (const auto& args : bad) {
        const HostRun run = RunHost(args);
        std::string joined;
        for (const auto& a : args)
            joined += a + " ";
        EXPECT_EQ(run.exitCode, 2) << joined << "\n" << run.output;
        EXPECT_NE(run.output.find("usage: tessaly-host"), std::string::npos) << joined;
    }
    for (const char* command : {"prelogin", "redirect", "encrypt", "demo"}) {
        const HostRun help = RunHost({command, "--help"});
        EXPECT_EQ(help.exitCode, 0) << command;
        EXPECT_NE(help.output.find(std::string("usage: tessaly-host")), std::string::npos) << command;
    }
}

TEST(HostCommandLineTest, AMissingLibraryIsAClearFailure)
{
    const HostRun run = RunHost({"--library", "/nonexistent/libtessaly.so", "prelogin", "--user", "a", "--password-hex", "00"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("cannot load /nonexistent/libtessaly.so"), std::string::npos) << run.output;
}

TEST(HostCommandLineTest, EncryptGivesHexThatTheCipherLibraryTakesBack)
{
    const HostRun run = RunHost({"encrypt", "wonder land"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string hex = run.output.substr(0, run.output.find('\n'));
    ASSERT_TRUE(std::regex_match(hex, std::regex("([0-9A-F]{2})+"))) << hex;

    // Decipher exactly as the login does: the hex text's length as the input length, the decoded
    // bytes in the first half, zeros after.
    LoadedLibrary cipher(OutPath("Cyvelle.so"));
    using CipherFn = int (*)(const unsigned char*, int, const unsigned char*, int, unsigned char*, int*);
    const auto decrypt = cipher.Get<CipherFn>("Zel_Decrypt");
    ASSERT_NE(decrypt, nullptr);
    std::vector<unsigned char> input(hex.size(), 0), output(hex.size(), 0);
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        input[i / 2] = static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    int length = static_cast<int>(hex.size() / 2);
    decrypt(reinterpret_cast<const unsigned char*>("58074319"), 8, input.data(), static_cast<int>(hex.size()),
            output.data(), &length);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(output.data()), static_cast<std::size_t>(length)), "wonder land");
}

class HostAgainstServiceTest : public ServiceInstallSuite {
protected:
    HostRun PreLogin(const std::string& user, const std::string& password)
    {
        return RunHost({"--library", m_install->LibraryPath().string(), "prelogin", "--user", user, "--password", password});
    }

};

TEST_F(HostAgainstServiceTest, PreLoginReportsTheServicesVerdict)
{
    const HostRun accepted = PreLogin("alice", "wonderland");
    EXPECT_EQ(accepted.output.find("(code -1)"), std::string::npos) << "no reply from the login service:\n"
                                                                  << accepted.output;
    EXPECT_EQ(accepted.exitCode, 0) << accepted.output;
    EXPECT_NE(accepted.output.find("PreLogin: accepted (code 0)"), std::string::npos) << accepted.output;

    const struct {
        const char* user;
        const char* password;
        int code;
    } refusals[] = {{"alice", "wrong", -102}, {"nobody", "x", -101}, {"dave", "first", -103},
                    {"bob", "builder", -104}, {"carol", "singer", -105}, {"erin", "x", -7}};
    for (const auto& r : refusals) {
        const HostRun run = PreLogin(r.user, r.password);
        EXPECT_EQ(run.exitCode, 3) << r.user << "\n" << run.output;
        EXPECT_NE(run.output.find("PreLogin: refused (code " + std::to_string(r.code) + ")"), std::string::npos)
            << r.user << "\n" << run.output;
    }
}

TEST_F(HostAgainstServiceTest, AWrongHexPasswordIsRefusedNotCrashed)
{
    const HostRun run = RunHost({"--library", m_install->LibraryPath().string(), "prelogin", "--user", "alice",
                             "--password-hex", "DEADBEEF00112233"});
    EXPECT_EQ(run.exitCode, 3) << run.output;
    EXPECT_NE(run.output.find("PreLogin: refused"), std::string::npos) << run.output;
}

TEST_F(HostAgainstServiceTest, RedirectWindowIsClosedThroughTheHostsList)
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
