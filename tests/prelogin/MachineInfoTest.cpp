// Machine identity through a fake machine-information library that records its calls.
#include "MachineInfoFixture.h"

namespace tessaly {
namespace {


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
    info.LoadExports(u"", u"Parvex" TESSALY_LIBRARY_SUFFIX);
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

    Install("FakeParvexNoOem" TESSALY_LIBRARY_SUFFIX);
    CMachineInfo info;
    info.LoadExports(test::NativeFolder(sandbox.Folder().string()), u"Parvex" TESSALY_LIBRARY_SUFFIX);
    std::u16string chan;
    oem = u"before";
    info.GetOEMCode(oem);
    info.GetChanCode(chan);
    EXPECT_EQ(oem + u"|" + chan, u"before|AREA-42");
}

}  // namespace
}  // namespace tessaly
