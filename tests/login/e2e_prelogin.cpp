// tessaly-host prelogin against a running tessaly-service, on a private copy of the build's output
// folder whose orvane.cfg points at the service.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <memory>

#include "PrivateInstall.h"
#include "ServiceProcess.h"
#include "config/ConfigSection.h"
#include "config/CZelXMLParseBase.h"
#include "support/SafeFormat.h"
#include "support/WideText.h"

namespace {

const std::filesystem::path kOut = TESSALY_OUT_DIR;

struct HostRun {
    int exitCode = -1;
    std::string output;
};

HostRun RunHostPreLogin(const std::filesystem::path& library, const std::string& user, const std::string& password)
{
    const std::string command = "'" + (kOut / "tessaly-host").string() + "' --library '" + library.string() +
                                "' prelogin --user '" + user + "' --password '" + password + "' 2>&1";
    HostRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 512> chunk{};
    while (std::fgets(chunk.data(), chunk.size(), pipe))
        run.output += chunk.data();
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class PreLoginEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        install = tessaly::host::PrivateInstall::Make(kOut, error);
        ASSERT_TRUE(install) << error;
        service = tessaly::host::ServiceProcess::Start((kOut / "tessaly-service").string(), {"--port", "0"}, error);
        ASSERT_TRUE(service) << error;
        ASSERT_TRUE(install->PointAt(service->BaseUrl(), error)) << error;
        tessaly::ReadConfigSection(tessaly::FromUtf8((install->Root() / "Config/VomoLoginCfg.xml").string()),
                                   tessaly::kLoginSection, items);
    }

    std::string Item(std::u16string_view id) const
    {
        std::u16string value;
        items.GetWindowInfo(value, id);
        return tessaly::ToUtf8(value);
    }

    std::unique_ptr<tessaly::host::PrivateInstall> install;
    std::unique_ptr<tessaly::host::ServiceProcess> service;
    tessaly::CZelXMLParseBase items;
};

TEST_F(PreLoginEndToEnd, KnownUserWithTheRightPasswordIsAccepted)
{
    const HostRun run = RunHostPreLogin(install->LibraryPath(), "alice", "wonderland");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("PreLogin: accepted (code 0)"), std::string::npos) << run.output;
}

TEST_F(PreLoginEndToEnd, WrongPasswordIsRefusedWithTheConfiguredText)
{
    ASSERT_FALSE(Item(u"ErrorPwd").empty());
    const HostRun run = RunHostPreLogin(install->LibraryPath(), "alice", "not-the-password");
    EXPECT_EQ(run.exitCode, 3) << run.output;
    EXPECT_NE(run.output.find("PreLogin: refused (code -102)\nmessage: " + Item(u"ErrorPwd")), std::string::npos)
        << run.output;
}

TEST_F(PreLoginEndToEnd, ServiceDownReportsMinusOneWithTheErrorMessage)
{
    ASSERT_EQ(service->Stop(), 0);
    const std::string expected = tessaly::ToUtf8(tessaly::SafeFormat(tessaly::FromUtf8(Item(u"ErrorMsg")), {-1}));
    ASSERT_FALSE(expected.empty());
    const HostRun run = RunHostPreLogin(install->LibraryPath(), "alice", "wonderland");
    EXPECT_EQ(run.exitCode, 3) << run.output;
    EXPECT_NE(run.output.find("PreLogin: refused (code -1)\nmessage: " + expected), std::string::npos) << run.output;
}

}  // namespace
