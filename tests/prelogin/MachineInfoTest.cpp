// Machine identity through a fake machine-information library that records its calls.
#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "CompanionSandbox.h"
#include "common/ChildProcess.h"
#include "fakes/FakeCompanionState.h"
#include "prelogin/CMachineInfo.h"
#include "support/TraceTestSupport.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

class MachineInfoTest : public ::testing::Test {
protected:
    void Install(const char* built = "FakeParvex.so")
    {
        fake = reinterpret_cast<FakeParvexStateFn>(sandbox.Install(test::FakeLibrary(built), "Parvex.so", "FakeParvexState"))();
    }

    std::u16string ReadPcid(std::u16string value = {})
    {
        CMachineInfo info;
        info.LoadExports(u"", u"Parvex.so");
        result = info.GetPCID(FromUtf8((sandbox.Folder() / "Config/Parvex.cfg").string()), value);
        return value;
    }

    test::CompanionSandbox sandbox;
    FakeParvexControl* fake = nullptr;
    bool result = false;
};

TEST_F(MachineInfoTest, ForcedReadSwitchesForcingOffWhateverItsOutcome)
{
    Install();
    EXPECT_EQ(ReadPcid(), u"PC-0001");  // no settings file: forced
    EXPECT_EQ(fake->pcidFlags[0], 1);
    EXPECT_EQ(fake->pcidCapacity, 256);
    EXPECT_EQ(sandbox.ReadConfig("Parvex.cfg"), "[COMMON]\nForceGetPcid=0\n");
    EXPECT_EQ(ReadPcid(), u"PC-0001");  // then normal
    EXPECT_EQ(fake->pcidFlags[1], 0);
    EXPECT_EQ(fake->pcidCalls, 2);

    sandbox.WriteConfig("Parvex.cfg", "; note\n[common]\nforcegetpcid = 5\nKeep=yes\n");
    fake->pcidCalls = 0;
    fake->pcidResults[0] = 0;
    EXPECT_EQ(ReadPcid(), u"");
    EXPECT_FALSE(result);
    EXPECT_EQ(fake->pcidCalls, 1);  // a forced read is never retried
    const std::string cfg = sandbox.ReadConfig("Parvex.cfg");
    EXPECT_TRUE(cfg.find("; note") != cfg.npos && cfg.find("Keep=yes") != cfg.npos && cfg.find('5') == cfg.npos)
        << cfg;
}

TEST_F(MachineInfoTest, FailedNormalReadIsRetriedOnceForced)
{
    Install();
    sandbox.WriteConfig("Parvex.cfg", "[COMMON]\nForceGetPcid=0\n");
    fake->pcidResults[0] = 0;
    EXPECT_EQ(ReadPcid(), u"PC-0001");
    EXPECT_EQ(fake->pcidCalls, 2);
    EXPECT_EQ(fake->pcidFlags[1], 1);
    EXPECT_EQ(sandbox.ReadConfig("Parvex.cfg"), "[COMMON]\nForceGetPcid=0\n");

    fake->pcidCalls = 0;
    fake->pcidResults[1] = fake->pcidResults[2] = 0;
    EXPECT_EQ(ReadPcid(), u"");
    EXPECT_EQ(fake->pcidCalls, 2);
}

TEST_F(MachineInfoTest, CodesAreReadUnforcedAndTakenWhateverTheResult)
{
    Install();
    CMachineInfo info;
    info.LoadExports(u"", u"Parvex.so");
    std::u16string oem;
    std::u16string chan;
    EXPECT_TRUE(info.GetOEMCode(oem));  // the fake fills the buffer but reports failure
    EXPECT_TRUE(info.GetChanCode(chan));
    EXPECT_EQ(oem + u"|" + chan, u"OEM-7|AREA-42");
    EXPECT_EQ(fake->oemFlag + fake->areaFlag + fake->vccCalls, 0);

    fake->fillWithoutTerminator = 1;  // a library that forgets the terminator is cut at the last unit
    info.GetOEMCode(oem);
    EXPECT_EQ(oem, std::u16string(255, u'Z'));
    EXPECT_EQ(ReadPcid(), std::u16string(255, u'Z'));
}

TEST_F(MachineInfoTest, MissingLibraryOrExportLeavesOnlyItsValueUnchanged)
{
    EXPECT_EQ(ReadPcid(u"old"), u"old");
    std::u16string oem;
    EXPECT_FALSE(CMachineInfo().GetOEMCode(oem));
    EXPECT_EQ(sandbox.ReadConfig("Parvex.cfg"), "");  // read, never written

    Install("FakeParvexNoOem.so");
    CMachineInfo info;
    info.LoadExports(FromUtf8(sandbox.Folder().string() + "/"), u"Parvex.so");
    std::u16string chan;
    oem = u"before";
    info.GetOEMCode(oem);
    info.GetChanCode(chan);
    EXPECT_EQ(oem + u"|" + chan, u"before|AREA-42");
}

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
