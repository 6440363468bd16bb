// The redirect window's worker and the page markers, without a window.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <mutex>

#include "CompanionSandbox.h"
#include "fakes/FakeCompanionState.h"
#include "redirect/worker/InfoWorker.h"
#include "redirect/worker/ReplyMarkers.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

using test::CompanionSandbox;
using test::FakeLibrary;
using test::WaitFor;

TEST(ReplyMarkers, BothMarkersInAnyOrderAreNeeded)
{
    const std::u16string start(kReplyStartMarker);
    const std::u16string end(kReplyEndMarker);
    EXPECT_TRUE(FindReplyMarkers(u"<body><!-- " + start + u" done " + end + u" --></body>"));
    EXPECT_TRUE(FindReplyMarkers(end + u"x" + start));
    EXPECT_TRUE(FindReplyMarkers(u"<<<617458A4-8957-4a97-A646-AACC83D5DD38>>>"));  // sharing the id
    EXPECT_FALSE(FindReplyMarkers(start));
    EXPECT_FALSE(FindReplyMarkers(end));
    EXPECT_FALSE(FindReplyMarkers(u""));
    EXPECT_FALSE(FindReplyMarkers(AsciiLower(start) + AsciiLower(end)));
    EXPECT_FALSE(FindReplyMarkers(u"<<617458A4-8957-4a97-A646-AACC83D5DD38>>"));
}

// Collects what the worker reports.
struct Reports {
    std::mutex mutex;
    std::vector<std::u16string> urls;
    std::atomic<int> count{0};

    InfoWorker::DoneCallback Callback()
    {
        return [this](std::u16string url) {
            std::lock_guard lock(mutex);
            urls.push_back(std::move(url));
            ++count;
        };
    }
};

class InfoWorkerTest : public ::testing::Test {
protected:
    void InstallCompanions()
    {
        sandbox.Install(FakeLibrary("FakeDunmore.so"), "Dunmore.so");
        sandbox.Install(FakeLibrary("FakeParvex.so"), "Parvex.so");
        dunmore = reinterpret_cast<FakeDunmoreStateFn>(sandbox.Control("Dunmore.so", "FakeDunmoreState"))();
        release = reinterpret_cast<FakeDunmoreReleaseFn>(sandbox.Control("Dunmore.so", "FakeDunmoreRelease"));
        waitEntered =
            reinterpret_cast<FakeDunmoreWaitEnteredFn>(sandbox.Control("Dunmore.so", "FakeDunmoreWaitEntered"));
        dunmore->result = 1;
        dunmore->writeReply = 1;
        const std::string reply = "http://127.0.0.1:8470/welcome";
        reply.copy(dunmore->reply, reply.size());
        dunmore->replyLength = static_cast<std::int32_t>(reply.size());
    }

    static InternetInfoRequest Request()
    {
        return {u"http://127.0.0.1:1/prelogin/exchange", u"PC", u"OEM", u"CH"};
    }

    CompanionSandbox sandbox;
    FakeDunmoreControl* dunmore = nullptr;
    FakeDunmoreReleaseFn release = nullptr;
    FakeDunmoreWaitEnteredFn waitEntered = nullptr;
    Reports reports;
};

TEST_F(InfoWorkerTest, ReportReachesTheCallbackOnceWithTheTargetAddress)
{
    InstallCompanions();
    auto worker = InfoWorker::Start(Request(), reports.Callback());
    ASSERT_TRUE(worker);
    EXPECT_NE(worker->ThreadId(), 0);
    ASSERT_TRUE(WaitFor([&] { return worker->Finished(); }));
    ASSERT_EQ(reports.count.load(), 1);
    EXPECT_EQ(reports.urls[0], u"http://127.0.0.1:8470/welcome");
    EXPECT_EQ(worker->RedirectUrl(), u"http://127.0.0.1:8470/welcome");
    EXPECT_EQ(std::u16string(dunmore->url), u"http://127.0.0.1:1/prelogin/exchange");
    EXPECT_TRUE(sandbox.TempLeftovers().empty());
    worker->RequestStop();  // after the report: harmless
    EXPECT_EQ(reports.count.load(), 1);
}

TEST_F(InfoWorkerTest, FailedExchangeStillReportsAnEmptyAddress)
{
    auto worker = InfoWorker::Start(Request(), reports.Callback());  // no transfer library at all
    ASSERT_TRUE(worker);
    ASSERT_TRUE(WaitFor([&] { return worker->Finished(); }));
    ASSERT_EQ(reports.count.load(), 1);
    EXPECT_EQ(reports.urls[0], u"");
}

TEST_F(InfoWorkerTest, StopDuringTheTransferDropsTheResult)
{
    InstallCompanions();
    dunmore->blockUntilReleased = 1;
    auto worker = InfoWorker::Start(Request(), reports.Callback());
    ASSERT_TRUE(worker);
    ASSERT_EQ(waitEntered(10000), 1);

    worker->RequestStop();
    EXPECT_TRUE(worker->StopRequested());
    EXPECT_FALSE(worker->Finished());
    release();

    ASSERT_TRUE(WaitFor([&] { return worker->Finished(); }));
    EXPECT_EQ(reports.count.load(), 0);
    EXPECT_EQ(worker->RedirectUrl(), u"");
    EXPECT_TRUE(sandbox.TempLeftovers().empty());
}

TEST_F(InfoWorkerTest, WorkerOutlivesTheWindowsHandle)
{
    InstallCompanions();
    dunmore->blockUntilReleased = 1;
    auto worker = InfoWorker::Start(Request(), reports.Callback());
    ASSERT_TRUE(worker);
    ASSERT_EQ(waitEntered(10000), 1);
    std::weak_ptr<InfoWorker> watch = worker;
    worker->RequestStop();
    worker.reset();  // the window is gone; the thread still holds the shared state
    EXPECT_FALSE(watch.expired());
    release();
    ASSERT_TRUE(WaitFor([&] { return watch.expired(); }));
    EXPECT_EQ(reports.count.load(), 0);
}

TEST_F(InfoWorkerTest, RequestGathersIdentityAndExchangeAddressFromConfiguration)
{
    InstallCompanions();
    sandbox.WriteConfig("orvane.cfg", "[WebUrl]\nVomoLoginUrl=http://127.0.0.1:8470/login\n"
                                      "PreLoginFromInternet = http://127.0.0.1:8470/prelogin/exchange \n");
    const InternetInfoRequest request = ReadInternetInfoRequest();
    EXPECT_EQ(request.m_strWebUrl, u"http://127.0.0.1:8470/prelogin/exchange");
    EXPECT_EQ(request.m_strPCID, u"PC-0001");
    EXPECT_EQ(request.m_strOEMCode, u"OEM-7");
    EXPECT_EQ(request.m_strChanCode, u"AREA-42");
    EXPECT_NE(sandbox.ReadConfig("Parvex.cfg").find("ForceGetPcid=0"), std::string::npos);
}

TEST_F(InfoWorkerTest, RequestWithoutConfigurationOrLibraryIsEmpty)
{
    const InternetInfoRequest request = ReadInternetInfoRequest();
    EXPECT_EQ(request.m_strWebUrl, u"");
    EXPECT_EQ(request.m_strPCID, u"");
    EXPECT_EQ(request.m_strOEMCode, u"");
    EXPECT_EQ(request.m_strChanCode, u"");
}

}  // namespace
}  // namespace tessaly
