// Host programs of two kinds (a GTK application, and one without a toolkit) open the redirect window
// against the stand-in service and close it through their window message list with the header's
// TessalyPostWindowMessage, on whichever session the suite runs in: X11, or a Wayland-only one
// (the Wayland pass of scripts/test.sh, with no DISPLAY).
#include "common/CommandRun.h"
#include "common/StandInService.h"

#include <fstream>
#include <set>
#include <sstream>

namespace tessaly::test {
namespace {

CommandRun RunProgram(const std::string& command) { return RunCommand(command + " 2>&1"); }

// The exact texts of the criticals a compositor without a seat causes, from the file the test
// script names in TESSALY_SEATLESS_CRITICALS for its Wayland pass; none elsewhere.
std::set<std::string> SeatlessCriticals()
{
    std::set<std::string> texts;
    if (const char* file = std::getenv("TESSALY_SEATLESS_CRITICALS")) {
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);)
            if (!line.empty() && line[0] != '#')
                texts.insert(line);
    }
    return texts;
}

// GLib critical lines ("(program:pid): Domain-CRITICAL **: hh:mm:ss.mmm: text"), less the seatless
// ones.
std::string Criticals(const std::string& output)
{
    const std::set<std::string> allowed = SeatlessCriticals();
    std::istringstream lines(output);
    std::string bad;
    for (std::string line; std::getline(lines, line);) {
        const auto stamp = line.find("-CRITICAL **: ");
        if (stamp == std::string::npos)
            continue;
        const auto text = line.find(": ", stamp + 14);
        if (text == std::string::npos || !allowed.count(line.substr(text + 2)))
            bad += line + "\n";
    }
    return bad;
}

class HostClosesThroughItsList : public ServiceInstallSuite, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
            GTEST_SKIP() << "needs an X or a Wayland display (scripts/test.sh provides both)";
        ServiceInstallSuite::SetUp();
    }
};

TEST_P(HostClosesThroughItsList, WindowIsListedClosedAndGone)
{
    const CommandRun run = RunProgram(std::string(TESSALY_TEST_BIN_DIR) + "/wayland-host " + GetParam() + " '" +
                               m_install->LibraryPath().string() + "'");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Redirect returned 1,"), std::string::npos) << run.output;
    EXPECT_EQ(Criticals(run.output), "");
}

// The stand-in host, which has no toolkit, closes its window through the header's helper too. On X11
// the host's end-to-end tests cover it already.
TEST_F(HostClosesThroughItsList, StandInHostOnAWaylandOnlySession)
{
    if (std::getenv("DISPLAY"))
        GTEST_SKIP() << "covered by the host's end-to-end tests on X11";
    const CommandRun run = RunProgram(OutPath("tessaly-host") + " --library '" + m_install->LibraryPath().string() +
                                      "' redirect --close-after 4");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("close-after: time is up: sent the close message to 1 window(s)"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("Redirect returned 1 (OK)"), std::string::npos) << run.output;
    EXPECT_EQ(Criticals(run.output), "");
}

INSTANTIATE_TEST_SUITE_P(Hosts, HostClosesThroughItsList, ::testing::Values("gtk", "plain"));

}  // namespace
}  // namespace tessaly::test
