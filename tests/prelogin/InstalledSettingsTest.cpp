// The machine settings file of an installed copy on Linux, written by ordinary users through a link.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "MachineInfoFixture.h"
#include "common/ChildProcess.h"

namespace tessaly {
namespace {

// An installed copy keeps its settings file in a state folder that every user may write, reached from
// Config/ by a link. A host run by an ordinary user switches forcing off there; where the user may not
// write, the identifier is still read, the failure is traced and the file stays as it was.
TEST_F(MachineInfoTest, OrdinaryUserWritesThroughTheInstalledLinkOrTracesTheFailure)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run the host part as the user nobody";
    namespace fs = std::filesystem;
    Install();
    const fs::path state = sandbox.Folder() / "state";
    const fs::path file = state / "Parvex.cfg";
    fs::create_directory(state);
    fs::permissions(sandbox.Folder(), fs::perms::all & ~(fs::perms::group_write | fs::perms::others_write));
    fs::create_symlink(file, sandbox.Folder() / "Config/Parvex.cfg");
    const std::string shipped = "[COMMON]\nForceGetPcid=1\n\n[Identity]\nOemID=TSL-OEM-01\n";
    test::WriteFile(file.string(), shipped);
    ::chmod(file.c_str(), 0644);
    test::TempDir traces;
    fs::permissions(traces.path(), fs::perms::all);
    const auto readAsNobody = [&](fs::perms stateMode) {
        fs::permissions(state, stateMode);
        return test::RunInChild(
                   [&] {
                       const bool dropped = ::setgroups(0, nullptr) == 0 && ::setresgid(65534, 65534, 65534) == 0 &&
                                            ::setresuid(65534, 65534, 65534) == 0;
                       test::EnableTracing(g_LogTrace, traces);
                       return dropped && ReadPcid() == u"PC-0001" ? 0 : 1;
                   },
                   std::chrono::seconds(30))
            .exitCode;
    };

    ASSERT_EQ(readAsNobody(fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                           fs::perms::others_read | fs::perms::others_exec), 0);
    EXPECT_EQ(test::ReadFile(file.string()), shipped);
    EXPECT_NE(test::ReadFile(traces.file("UILogTrace.txt")).find("--Write ForceGetPcid=0 failed"),
              std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(state), {}), 1);  // no temporary file left

    ASSERT_EQ(readAsNobody(fs::perms::all), 0);
    EXPECT_EQ(test::ReadFile(file.string()), "[COMMON]\nForceGetPcid=0\n\n[Identity]\nOemID=TSL-OEM-01\n");
    EXPECT_TRUE(fs::is_symlink(sandbox.Folder() / "Config/Parvex.cfg"));
    EXPECT_EQ(fs::status(file).permissions(), fs::perms(0644));
}

}  // namespace
}  // namespace tessaly
