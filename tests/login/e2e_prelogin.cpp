// tessaly-host prelogin against a running tessaly-service, on a private copy of the build's output
// folder whose orvane.cfg points at the service.
#include <gtest/gtest.h>

#include <memory>

#include "common/CommandRun.h"
#include "common/StandInService.h"
#include "config/ConfigSection.h"
#include "config/CZelXMLParseBase.h"
#include "support/SafeFormat.h"
#include "support/WideText.h"

namespace {

const std::filesystem::path kOut = TESSALY_OUT_DIR;

using tessaly::test::ShellQuote;
using HostRun = tessaly::test::CommandRun;  // stdout and stderr together

HostRun RunHostPreLogin(const std::filesystem::path& library, const std::string& user, const std::string& password)
{
    return tessaly::test::RunningCommand(ShellQuote((kOut / "tessaly-host").string()) + " --library " +
                                         ShellQuote(library.string()) + " prelogin --user " + ShellQuote(user) +
                                         " --password " + ShellQuote(password))
        .Await();
}

class PreLoginEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        service = tessaly::test::StartService(error);
        ASSERT_TRUE(service) << error;
        install = tessaly::test::InstallFor(*service, error);
        ASSERT_TRUE(install) << error;
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
