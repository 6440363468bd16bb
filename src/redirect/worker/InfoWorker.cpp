#include "redirect/worker/InfoWorker.h"

#include <future>
#include <system_error>
#include <thread>

#include "platform/Threads.h"
#include "prelogin/CGetPreloginInfo.h"
#include "redirect/worker/LibraryPin.h"
#include "support/CLogTrace.h"
#include "support/SwallowedException.h"

namespace tessaly {

InfoWorker::InfoWorker(InternetInfoRequest request, DoneCallback onDone)
    : m_request(std::move(request)), m_onDone(std::move(onDone))
{
}

std::shared_ptr<InfoWorker> InfoWorker::Start(InternetInfoRequest request, DoneCallback onDone)
{
    auto worker = std::make_shared<InfoWorker>(std::move(request), std::move(onDone));
    std::promise<void> started;
    std::future<void> startedFuture = started.get_future();
    try {
        std::thread([worker, started = std::move(started)]() mutable {
            LibraryPin::HoldForCurrentThread();
            platform::NameCurrentThread(kWorkerThreadName);
            worker->m_nThreadId = platform::CurrentThreadId();
            started.set_value();
            worker->Run();
        }).detach();
    } catch (const std::system_error&) {
        return nullptr;
    }
    // Only the thread's first few statements are waited for, never the exchange.
    startedFuture.wait();
    return worker;
}

void InfoWorker::Run()
{
    std::u16string redirectUrl;
    try {
        CGetPreloginInfo exchange;
        exchange.SetStopFlag(&m_bStop);
        if (!StopRequested())
            exchange.GetAdInfo(m_request.m_strWebUrl, m_request.m_strPCID, m_request.m_strOEMCode,
                               m_request.m_strChanCode, redirectUrl);
    } catch (...) {
        // Nothing may escape a thread procedure. A failed exchange gives no address, and the window
        // still hears that the worker is done.
        redirectUrl.clear();
        g_LogTrace.Trace(4, u"--GetInfoFromInternetThread: the exchange failed with an exception");
    }
    {
        std::lock_guard lock(m_mutex);
        m_strRedirectUrl = std::move(redirectUrl);
    }
    Report();
    m_bFinished.store(true);
}

void InfoWorker::Report() noexcept
{
    std::lock_guard lock(m_mutex);
    if (m_bStop.load() || !m_onDone)
        return;
    try {
        m_onDone(m_strRedirectUrl);
    } catch (...) {
        // No memory left to hand the address over: report none, which needs no memory for the text.
        TraceSwallowed(u"GetInfoFromInternetThread", u"handing the address over failed; none is reported");
        try {
            m_onDone(std::u16string());
        } catch (...) {
            TraceSwallowed(u"GetInfoFromInternetThread", u"the window could not be told the worker is done");
        }
    }
    m_onDone = nullptr;
}

void InfoWorker::RequestStop()
{
    DoneCallback released;
    {
        std::lock_guard lock(m_mutex);
        m_bStop.store(true);
        released = std::move(m_onDone);
        m_onDone = nullptr;
    }
}

std::u16string InfoWorker::RedirectUrl() const
{
    std::lock_guard lock(m_mutex);
    return m_strRedirectUrl;
}

std::shared_ptr<InfoWorker> StartInternetInfoWorker(InfoWorker::DoneCallback onDone)
{
    auto worker = InfoWorker::Start(ReadInternetInfoRequest(), std::move(onDone));
    if (worker)
        g_LogTrace.Trace(4, u"--Current Thread ID is 0X%X for CRedirectDlg::GetInfoFromInternet", worker->ThreadId());
    return worker;
}

}  // namespace tessaly
