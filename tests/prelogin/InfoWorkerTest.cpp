// The redirect window's worker and the page markers, without a window.
#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#include "CompanionSandbox.h"
#include "TestSystem.h"
#include "common/Polling.h"
#include "fakes/FakeCompanionState.h"
#include "redirect/worker/InfoWorker.h"
#include "redirect/worker/ReplyMarkers.h"
#include "support/WideText.h"

// Memory running out on the worker thread: while armed, the next allocation made by a thread named
// like the worker fails (once).
std::atomic<bool> g_failNextWorkerAllocation{false};

void* operator new(std::size_t size)
{
    if (g_failNextWorkerAllocation.load()) {
        if (tessaly::test::system::CurrentThreadName() == tessaly::kWorkerThreadName &&
            g_failNextWorkerAllocation.exchange(false))
            throw std::bad_alloc();
    }
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
// The replacement pair allocates with malloc and frees with free, which the compiler cannot see.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace tessaly {
namespace {

using test::WaitUntil;
using namespace std::chrono_literals;

TEST(ReplyMarkers, BothMarkersInAnyOrderAndExactCaseAreNeeded)
{
    const std::u16string start(kReplyStartMarker);
    const std::u16string end(kReplyEndMarker);
    EXPECT_TRUE(FindReplyMarkers(u"<body><!-- " + start + u" done " + end + u" --></body>"));
    EXPECT_TRUE(FindReplyMarkers(end + start));
    EXPECT_TRUE(FindReplyMarkers(u"<<<617458A4-8957-4a97-A646-AACC83D5DD38>>>"));  // sharing the id
    EXPECT_FALSE(FindReplyMarkers(start + start));
    EXPECT_FALSE(FindReplyMarkers(end));
    EXPECT_FALSE(FindReplyMarkers(AsciiLower(start) + AsciiLower(end)));
}

class InfoWorkerTest : public ::testing::Test {
protected:
    void Install()
    {
        const auto library = test::FakeLibrary("FakeDunmore" TESSALY_LIBRARY_SUFFIX);
        fake = reinterpret_cast<FakeDunmoreStateFn>(sandbox.Install(library, "Dunmore" TESSALY_LIBRARY_SUFFIX, "FakeDunmoreState"))();
        release = reinterpret_cast<FakeDunmoreReleaseFn>(sandbox.Export("FakeDunmoreRelease"));
        fake->result = 1;
        fake->replyLength = static_cast<std::int32_t>(std::string("http://t/").copy(fake->reply, 9));
    }

    std::shared_ptr<InfoWorker> Start()
    {
        return InfoWorker::Start({u"http://127.0.0.1:1/x", u"PC", u"OEM", u"CH"}, [this](std::u16string url) {
            std::lock_guard lock(mutex);
            reports.push_back(std::move(url));
        });
    }

    size_t Reports()
    {
        std::lock_guard lock(mutex);
        return reports.size();
    }

    test::CompanionSandbox sandbox;
    FakeDunmoreControl* fake = nullptr;
    FakeDunmoreReleaseFn release = nullptr;
    std::mutex mutex;
    std::vector<std::u16string> reports;
};

TEST_F(InfoWorkerTest, ReportReachesTheCallbackOnceEvenWhenTheExchangeFails)
{
    auto failing = Start();  // no transfer library yet
    ASSERT_TRUE(failing && WaitUntil([&] { return failing->Finished(); }, 10s));
    Install();
    auto worker = Start();
    ASSERT_TRUE(worker && WaitUntil([&] { return worker->Finished(); }, 10s));
    EXPECT_NE(worker->ThreadId(), 0);
    worker->RequestStop();  // after the report: harmless
    std::lock_guard lock(mutex);
    EXPECT_EQ(reports, (std::vector<std::u16string>{u"", u"http://t/"}));
    EXPECT_TRUE(sandbox.TempFolderEmpty());
}

TEST_F(InfoWorkerTest, MemoryRunningOutDuringTheExchangeStillReportsNoAddress)
{
    Install();
    g_failNextWorkerAllocation = true;
    auto worker = Start();
    ASSERT_TRUE(worker);
    EXPECT_TRUE(WaitUntil([&] { return worker->Finished(); }, 10s));
    EXPECT_FALSE(g_failNextWorkerAllocation.exchange(false)) << "the worker allocated nothing";
    std::lock_guard lock(mutex);
    EXPECT_EQ(reports, (std::vector<std::u16string>{u""}));
}

TEST_F(InfoWorkerTest, StopDuringTheTransferDropsTheResultAndTheWorkerEndsOnItsOwn)
{
    Install();
    fake->blockUntilReleased = 1;
    auto waitEntered = reinterpret_cast<FakeDunmoreWaitEnteredFn>(sandbox.Export("FakeDunmoreWaitEntered"));
    auto worker = Start();
    ASSERT_TRUE(worker);
    ASSERT_EQ(waitEntered(10000), 1);
    worker->RequestStop();
    std::weak_ptr<InfoWorker> watch = worker;
    worker.reset();  // the window lets go; the thread still holds the shared state
    ASSERT_FALSE(watch.expired());
    release();
    EXPECT_TRUE(WaitUntil([&] { return watch.expired(); }, 10s));
    EXPECT_EQ(Reports(), 0u);
    EXPECT_TRUE(sandbox.TempFolderEmpty());
}

TEST_F(InfoWorkerTest, RequestGathersIdentityAndExchangeAddress)
{
    EXPECT_EQ(ReadInternetInfoRequest().m_strWebUrl + ReadInternetInfoRequest().m_strPCID, u"");
    sandbox.Install(test::FakeLibrary("FakeParvex" TESSALY_LIBRARY_SUFFIX), "Parvex" TESSALY_LIBRARY_SUFFIX);
    sandbox.WriteConfig("orvane.cfg", "[WebUrl]\nPreLoginFromInternet = http://127.0.0.1:8470/prelogin/exchange \n");
    const InternetInfoRequest request = ReadInternetInfoRequest();
    EXPECT_EQ(request.m_strWebUrl, u"http://127.0.0.1:8470/prelogin/exchange");
    EXPECT_EQ(request.m_strPCID + u"|" + request.m_strOEMCode + u"|" + request.m_strChanCode, u"PC-0001|OEM-7|AREA-42");
}

}  // namespace
}  // namespace tessaly
