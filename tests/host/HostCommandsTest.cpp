// tessaly-host as a user runs it, on either system: its command line, its cipher, and PreLogin
// against the stand-in service from a separate process that loads the library.

#include "HostPaths.h"
#include "HostSystem.h"
#include "HostTestSystem.h"
#include "LoadedModule.h"
#include "common/ServiceInstall.h"

#include <gtest/gtest.h>

#include <regex>

namespace tessaly::test {
namespace {

ProgramRun RunHost(const std::vector<std::string>& arguments)
{
    return RunProgram(ProgramFile("tessaly-host"), arguments);
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
        const ProgramRun run = RunHost(args);
        std::string joined;
        for (const auto& a : args)
            joined += a + " ";
        EXPECT_EQ(run.exitCode, 2) << joined << "\n" << run.output;
        EXPECT_NE(run.output.find("usage: tessaly-host"), std::string::npos) << joined;
    }
    for (const char* command : {"prelogin", "redirect", "encrypt", "demo"}) {
        const ProgramRun help = RunHost({command, "--help"});
        EXPECT_EQ(help.exitCode, 0) << command;
        EXPECT_NE(help.output.find(std::string("usage: tessaly-host")), std::string::npos) << command;
    }
}

TEST(HostCommandLineTest, AMissingLibraryIsAClearFailure)
{
    const std::string missing = OutPath("nonexistent/") + host::Names().library;
    const ProgramRun run = RunHost({"--library", missing, "prelogin", "--user", "a", "--password-hex", "00"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("cannot load " + missing), std::string::npos) << run.output;
}

TEST(HostCommandLineTest, EncryptGivesHexThatTheCipherLibraryTakesBack)
{
    const ProgramRun run = RunHost({"encrypt", "wonder land"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string hex = run.output.substr(0, run.output.find('\n'));
    ASSERT_TRUE(std::regex_match(hex, std::regex("([0-9A-F]{2})+"))) << hex;

    // Decipher exactly as the login does: the hex text's length as the input length, the decoded
    // bytes in the first half, zeros after.
    std::string error;
    const auto cipher = host::LoadedModule::Open(OutPath(host::Names().cipher), error);
    ASSERT_TRUE(cipher) << error;
    using CipherFn = int (*)(const unsigned char*, int, const unsigned char*, int, unsigned char*, int*);
    const auto decrypt = cipher->Get<CipherFn>("Zel_Decrypt");
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
    ProgramRun PreLogin(const std::string& user, const std::string& password)
    {
        return RunHost({"--library", host::Utf8Path(m_install->LibraryPath()), "prelogin", "--user", user, "--password",
                        password});
    }
};

TEST_F(HostAgainstServiceTest, PreLoginReportsTheServicesVerdict)
{
    const ProgramRun accepted = PreLogin("alice", "wonderland");
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
        const ProgramRun run = PreLogin(r.user, r.password);
        EXPECT_EQ(run.exitCode, 3) << r.user << "\n" << run.output;
        EXPECT_NE(run.output.find("PreLogin: refused (code " + std::to_string(r.code) + ")"), std::string::npos)
            << r.user << "\n" << run.output;
    }
}

TEST_F(HostAgainstServiceTest, AWrongHexPasswordIsRefusedNotCrashed)
{
    const ProgramRun run = RunHost({"--library", host::Utf8Path(m_install->LibraryPath()), "prelogin", "--user",
                                    "alice", "--password-hex", "DEADBEEF00112233"});
    EXPECT_EQ(run.exitCode, 3) << run.output;
    EXPECT_NE(run.output.find("PreLogin: refused"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace tessaly::test
