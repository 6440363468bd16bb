// The exchange run for real: the shipped machine-information and transfer libraries against the
// stand-in service on a loopback port.
#include <gtest/gtest.h>

#include <fstream>
#include <mutex>

#include "CompanionSandbox.h"
#include "common/Polling.h"
#include "common/ScopedEnv.h"
#include "common/StandInService.h"
#include "prelogin/CGetPreloginInfo.h"
#include "redirect/worker/InfoWorker.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

using namespace std::chrono_literals;

class LiveExchangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(service) << error;
        sandbox.Install(std::filesystem::path(TESSALY_OUT_DIR) / ("Dunmore" TESSALY_LIBRARY_SUFFIX), "Dunmore" TESSALY_LIBRARY_SUFFIX);
        sandbox.Install(std::filesystem::path(TESSALY_OUT_DIR) / ("Parvex" TESSALY_LIBRARY_SUFFIX), "Parvex" TESSALY_LIBRARY_SUFFIX);
        std::ofstream(sandbox.Folder() / "machine-id") << "0123456789abcdef0123456789abcdef\n";
        sandbox.WriteConfig("Parvex.cfg", "[Identity]\nOemID=OEM-1\nAreaCode=Area 7\n");
        sandbox.WriteConfig("orvane.cfg", "[WebUrl]\nPreLoginFromInternet=" + Url("/prelogin/exchange") + "\n");
    }

    std::string Url(const std::string& path) const { return service->BaseUrl() + path; }

    std::string error;
    std::unique_ptr<host::ServiceProcess> service = test::StartService(error);
    test::CompanionSandbox sandbox;
    test::ScopedEnv machineId{"PARVEX_MACHINE_ID_FILE", (sandbox.Folder() / "machine-id").string()};
};

TEST_F(LiveExchangeTest, WorkerReadsTheIdentityAndReportsTheServicesTarget)
{
    const InternetInfoRequest request = ReadInternetInfoRequest();
    EXPECT_EQ(request.m_strPCID.size(), 32u);
    EXPECT_EQ(request.m_strOEMCode + u"|" + request.m_strChanCode, u"OEM-1|Area 7");
    EXPECT_NE(sandbox.ReadConfig("Parvex.cfg").find("ForceGetPcid=0"), std::string::npos);
    EXPECT_EQ(ReadInternetInfoRequest().m_strPCID, request.m_strPCID);  // stable when not forced

    std::mutex mutex;
    std::vector<std::u16string> reports;
    auto worker = StartInternetInfoWorker([&](std::u16string url) {
        std::lock_guard lock(mutex);
        reports.push_back(std::move(url));
    });
    ASSERT_TRUE(worker && test::WaitUntil([&] { return worker->Finished(); }, 30s));
    std::lock_guard lock(mutex);
    EXPECT_EQ(reports, std::vector<std::u16string>{FromUtf8(Url("/welcome"))});
    EXPECT_TRUE(sandbox.TempFolderEmpty());
}

TEST_F(LiveExchangeTest, ServerErrorsAndDeadAddressesGiveNoTarget)
{
    std::u16string result;
    for (const std::string& url : {Url("/status/500"), std::string("http://127.0.0.1:1/x"), std::string()})
        EXPECT_FALSE(CGetPreloginInfo().GetAdInfo(FromUtf8(url), u"PC", u"", u"", result)) << url;
    EXPECT_EQ(result, u"");
    EXPECT_TRUE(sandbox.TempFolderEmpty());
}

}  // namespace
}  // namespace tessaly
