#pragma once
// The redirect window's worker thread: runs one pre-login information exchange and reports the
// target address. The window and the worker share this object by reference count; the window may
// stop caring at any time (RequestStop) and the worker then finishes on its own, detached, without
// touching the window again.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "redirect/worker/InternetInfoRequest.h"

namespace tessaly {

// The name the worker thread carries (in /proc/self/task/*/comm, top and debuggers).
inline constexpr const char* kWorkerThreadName = "tessaly-worker";

class InfoWorker : public std::enable_shared_from_this<InfoWorker> {
public:
    // Called once on the worker thread with the accepted target address (empty when the exchange
    // gave none). It must only hand the result over (for example to the window's main context) and
    // must not call RequestStop.
    using DoneCallback = std::function<void(std::u16string redirectUrl)>;

    // Starts the detached worker thread. Returns null when no thread can be started; then the
    // callback is never called.
    static std::shared_ptr<InfoWorker> Start(InternetInfoRequest request, DoneCallback onDone);

    // Cooperative stop: once this returns, the callback is not running and will never be called; it
    // is released here, on the caller's thread. A worker blocked in the transfer library finishes on
    // its own and its result is dropped. Safe to call more than once and after the report.
    void RequestStop();

    bool StopRequested() const { return m_bStop.load(); }

    // The worker's kernel thread id, as traced by GetInfoFromInternet.
    long ThreadId() const { return m_nThreadId; }

    // The target address the worker wrote (empty until it has reported). Meant for tests and
    // diagnostics; the window gets the value through the callback.
    std::u16string RedirectUrl() const;

    // True once the worker thread has left its procedure.
    bool Finished() const { return m_bFinished.load(); }

    InfoWorker(InternetInfoRequest request, DoneCallback onDone);

private:
    void Run();
    void Report() noexcept;

    const InternetInfoRequest m_request;
    mutable std::mutex m_mutex;  // guards m_onDone, m_strRedirectUrl and the stop/report hand-over
    DoneCallback m_onDone;
    std::u16string m_strRedirectUrl;
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bFinished{false};
    long m_nThreadId = 0;
};

// Everything GetInfoFromInternet does: reads the request (ReadInternetInfoRequest), starts the
// worker and writes the "--Current Thread ID is 0X%X for CRedirectDlg::GetInfoFromInternet" trace
// line. Returns the worker, or null when the thread could not be started.
std::shared_ptr<InfoWorker> StartInternetInfoWorker(InfoWorker::DoneCallback onDone);

}  // namespace tessaly
