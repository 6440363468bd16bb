// Machine identity through a fake machine-information library that records its calls.
#include <gtest/gtest.h>

#include "CompanionSandbox.h"
#include "fakes/FakeCompanionState.h"
#include "prelogin/CMachineInfo.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

using test::CompanionSandbox;
using test::FakeLibrary;

class MachineInfoTest : public ::testing::Test {
protected:
    void InstallParvex(const char* built = "FakeParvex.so")
    {
        sandbox.Install(FakeLibrary(built), "Parvex.so");
        fake = reinterpret_cast<FakeParvexStateFn>(sandbox.Control("Parvex.so", "FakeParvexState"))();
    }

    std::u16string CfgPath() const { return FromUtf8((sandbox.ConfigFolder() / "Parvex.cfg").string()); }

    std::u16string ReadPcid()
    {
        CMachineInfo info;
        info.LoadExports(u"", u"Parvex.so");
        std::u16string value;
        lastResult = info.GetPCID(CfgPath(), value);
        return value;
    }

    CompanionSandbox sandbox;
    FakeParvexControl* fake = nullptr;
    bool lastResult = false;
};

TEST_F(MachineInfoTest, FirstReadIsForcedAndSwitchesForcingOff)
{
    InstallParvex();
    ASSERT_FALSE(sandbox.ConfigExists("Parvex.cfg"));

    EXPECT_EQ(ReadPcid(), u"PC-0001");
    EXPECT_TRUE(lastResult);
    ASSERT_EQ(fake->pcidCalls, 1);
    EXPECT_EQ(fake->pcidFlags[0], 1);
    EXPECT_EQ(fake->pcidCapacities[0], 256);
    EXPECT_EQ(fake->pcidBufferZeroOnEntry[0], 1);
    const std::string cfg = sandbox.ReadConfig("Parvex.cfg");
    EXPECT_NE(cfg.find("[COMMON]"), std::string::npos) << cfg;
    EXPECT_NE(cfg.find("ForceGetPcid=0"), std::string::npos) << cfg;

    // The next run reads normally.
    EXPECT_EQ(ReadPcid(), u"PC-0001");
    ASSERT_EQ(fake->pcidCalls, 2);
    EXPECT_EQ(fake->pcidFlags[1], 0);
}

TEST_F(MachineInfoTest, AnyNonZeroSwitchForcesAndAFailedForcedReadStillResetsIt)
{
    InstallParvex();
    sandbox.WriteConfig("Parvex.cfg", "; kept\n[Other]\nA=1\n[common]\nforcegetpcid = 5\nKeep=yes\n");
    fake->pcidResults[0] = 0;

    EXPECT_EQ(ReadPcid(), u"");
    EXPECT_FALSE(lastResult);
    ASSERT_EQ(fake->pcidCalls, 1);  // no retry after a forced read
    EXPECT_EQ(fake->pcidFlags[0], 1);
    const std::string cfg = sandbox.ReadConfig("Parvex.cfg");
    EXPECT_NE(cfg.find("; kept"), std::string::npos) << cfg;
    EXPECT_NE(cfg.find("Keep=yes"), std::string::npos) << cfg;
    EXPECT_EQ(cfg.find("5"), std::string::npos) << cfg;
}

TEST_F(MachineInfoTest, NormalReadThatFailsIsRetriedOnceForcedWithoutTouchingTheSwitch)
{
    InstallParvex();
    sandbox.WriteConfig("Parvex.cfg", "[COMMON]\nForceGetPcid=0\n");
    fake->pcidResults[0] = 0;
    fake->pcidResults[1] = 1;

    EXPECT_EQ(ReadPcid(), u"PC-0001");
    ASSERT_EQ(fake->pcidCalls, 2);
    EXPECT_EQ(fake->pcidFlags[0], 0);
    EXPECT_EQ(fake->pcidFlags[1], 1);
    EXPECT_EQ(sandbox.ReadConfig("Parvex.cfg"), "[COMMON]\nForceGetPcid=0\n");

    // Both calls failing: still exactly one retry, and no value.
    fake->pcidCalls = 0;
    fake->pcidResults[0] = fake->pcidResults[1] = fake->pcidResults[2] = 0;
    EXPECT_EQ(ReadPcid(), u"");
    EXPECT_FALSE(lastResult);
    EXPECT_EQ(fake->pcidCalls, 2);
}

TEST_F(MachineInfoTest, OemAndChannelCodesAreReadUnforcedAndTakenWhateverTheResult)
{
    InstallParvex();
    CMachineInfo info;
    ASSERT_TRUE(info.LoadExports(u"", u"Parvex.so"));
    std::u16string oem;
    std::u16string chan;
    EXPECT_TRUE(info.GetOEMCode(oem));  // the fake reports failure but fills the buffer
    EXPECT_TRUE(info.GetChanCode(chan));
    EXPECT_EQ(oem, u"OEM-7");
    EXPECT_EQ(chan, u"AREA-42");
    EXPECT_EQ(fake->oemFlag, 0);
    EXPECT_EQ(fake->areaFlag, 0);
    EXPECT_EQ(fake->vccCalls, 0);

    // An empty value written over an old one empties it.
    fake->area[0] = 0;
    EXPECT_FALSE(info.GetChanCode(chan));
    EXPECT_EQ(chan, u"");
}

TEST_F(MachineInfoTest, ValueFillingTheWholeBufferIsCutAtItsLastUnit)
{
    InstallParvex();
    fake->fillWithoutTerminator = 1;
    CMachineInfo info;
    info.LoadExports(u"", u"Parvex.so");
    std::u16string oem;
    info.GetOEMCode(oem);
    EXPECT_EQ(oem, std::u16string(255, u'Z'));
    EXPECT_EQ(ReadPcid(), std::u16string(255, u'Z'));
}

TEST_F(MachineInfoTest, MissingLibraryLeavesValuesAloneAndOnlyReadsTheSwitch)
{
    CMachineInfo info;
    EXPECT_TRUE(info.LoadExports(u"", u"Parvex.so"));
    std::u16string pcid = u"old";
    std::u16string oem;
    EXPECT_TRUE(info.GetPCID(CfgPath(), pcid));  // unchanged, and non-empty
    EXPECT_EQ(pcid, u"old");
    EXPECT_FALSE(info.GetOEMCode(oem));
    EXPECT_FALSE(info.GetChanCode(oem));
    EXPECT_FALSE(sandbox.ConfigExists("Parvex.cfg"));
}

TEST_F(MachineInfoTest, MissingExportLeavesOnlyItsOwnValueUnchanged)
{
    InstallParvex("FakeParvexNoOem.so");
    CMachineInfo info;
    info.LoadExports(FromUtf8(sandbox.Folder().string() + "/"), u"Parvex.so");
    std::u16string oem = u"before";
    std::u16string chan;
    std::u16string pcid;
    EXPECT_TRUE(info.GetOEMCode(oem));
    EXPECT_EQ(oem, u"before");
    EXPECT_TRUE(info.GetChanCode(chan));
    EXPECT_EQ(chan, u"AREA-42");
    EXPECT_TRUE(info.GetPCID(CfgPath(), pcid));
    EXPECT_EQ(pcid, u"PC-0001");
}

}  // namespace
}  // namespace tessaly
