// The exchange run for real: the shipped machine-information and transfer libraries against the
// stand-in service on a loopback port.
#include <gtest/gtest.h>

#include <fstream>
#include <mutex>

#include "CompanionSandbox.h"
#include "ServiceProcess.h"
#include "prelogin/CGetPreloginInfo.h"
#include "prelogin/CMachineInfo.h"
#include "redirect/worker/InfoWorker.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

using test::CompanionSandbox;
using test::ServiceProcess;
using test::WaitFor;

class LiveExchangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(service.Port(), 0) << "tessaly-service did not start";
        sandbox.Install(std::string(TESSALY_OUT_DIR) + "/Dunmore.so", "Dunmore.so");
        sandbox.Install(std::string(TESSALY_OUT_DIR) + "/Parvex.so", "Parvex.so");
        const auto machineId = sandbox.Folder() / "machine-id";
        std::ofstream(machineId) << "0123456789abcdef0123456789abcdef\n";
        ::setenv("PARVEX_MACHINE_ID_FILE", machineId.c_str(), 1);
        sandbox.WriteConfig("Parvex.cfg", "[Identity]\nOemID=OEM-1\nAreaCode=Area 7\n");
        sandbox.WriteConfig("orvane.cfg", "[WebUrl]\nPreLoginFromInternet=" + service.Url("/prelogin/exchange") + "\n");
    }

    void TearDown() override { ::unsetenv("PARVEX_MACHINE_ID_FILE"); }

    ServiceProcess service;
    CompanionSandbox sandbox;
};

TEST_F(LiveExchangeTest, IdentityIsReadFromTheMachineInformationLibrary)
{
    const InternetInfoRequest request = ReadInternetInfoRequest();
    EXPECT_EQ(request.m_strPCID.size(), 32u);
    EXPECT_EQ(request.m_strOEMCode, u"OEM-1");
    EXPECT_EQ(request.m_strChanCode, u"Area 7");
    EXPECT_EQ(request.m_strWebUrl, FromUtf8(service.Url("/prelogin/exchange")));
    const std::string cfg = sandbox.ReadConfig("Parvex.cfg");
    EXPECT_NE(cfg.find("ForceGetPcid=0"), std::string::npos) << cfg;
    EXPECT_NE(cfg.find("OemID=OEM-1"), std::string::npos) << cfg;

    // The identifier is stable from one run to the next (the second read is not forced).
    EXPECT_EQ(ReadInternetInfoRequest().m_strPCID, request.m_strPCID);
}

TEST_F(LiveExchangeTest, ExchangeAnswersTheTargetAddress)
{
    CGetPreloginInfo info;
    std::u16string result;
    EXPECT_TRUE(info.GetAdInfo(FromUtf8(service.Url("/prelogin/exchange")), u"PC", u"", u"", result));
    EXPECT_EQ(result, FromUtf8(service.Url("/welcome")));
    EXPECT_TRUE(sandbox.TempLeftovers().empty());
}

TEST_F(LiveExchangeTest, ServerErrorsAndDeadAddressesGiveNoTarget)
{
    std::u16string result;
    CGetPreloginInfo refused;
    EXPECT_FALSE(refused.GetAdInfo(FromUtf8(service.Url("/status/500")), u"PC", u"", u"", result));
    CGetPreloginInfo nobody;
    EXPECT_FALSE(nobody.GetAdInfo(u"http://127.0.0.1:1/prelogin/exchange", u"PC", u"", u"", result));
    CGetPreloginInfo noAddress;
    EXPECT_FALSE(noAddress.GetAdInfo(u"", u"PC", u"", u"", result));
    EXPECT_EQ(result, u"");
    EXPECT_TRUE(sandbox.TempLeftovers().empty());
}

TEST_F(LiveExchangeTest, WorkerReportsTheTargetAddress)
{
    std::mutex mutex;
    std::vector<std::u16string> reports;
    auto worker = StartInternetInfoWorker([&](std::u16string url) {
        std::lock_guard lock(mutex);
        reports.push_back(std::move(url));
    });
    ASSERT_TRUE(worker);
    ASSERT_TRUE(WaitFor([&] { return worker->Finished(); }, 30.0));
    std::lock_guard lock(mutex);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], FromUtf8(service.Url("/welcome")));
}

}  // namespace
}  // namespace tessaly
