// tessaly-host.exe's redirect window under Wine: the window is listed in the host's window message list
// and the host's close through that list ends it with 1. (Wine has no page engine, so the target page
// never completes and only the host can close the window.)

#include "HostPaths.h"
#include "HostTestSystem.h"
#include "common/ServiceInstall.h"

#include <gtest/gtest.h>

namespace tessaly::test {
namespace {

class HostRedirectTest : public ServiceInstallSuite {};

TEST_F(HostRedirectTest, RedirectWindowIsListedAndClosedThroughTheHostsList)
{
    const ProgramRun run = RunProgram(ProgramFile("tessaly-host"),
                                      {"--library", host::Utf8Path(m_install->LibraryPath()), "redirect", "--close-after", "4"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("close-after: time is up: sent the close message to 1 window(s)"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("Redirect returned 1 (OK)"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace tessaly::test
