#include "WindowCloser.h"

namespace tessaly::host {

WindowCloser::WindowCloser(const HostWindowList& list, std::chrono::milliseconds delay, Report report)
    : m_list(list), m_report(std::move(report)), m_thread([this, delay] { Run(delay); })
{
}

WindowCloser::~WindowCloser()
{
    {
        std::lock_guard lock(m_lock);
        m_cancelled = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void WindowCloser::Run(std::chrono::milliseconds delay)
{
    {
        std::unique_lock lock(m_lock);
        if (m_wake.wait_for(lock, delay, [this] { return m_cancelled; }))
            return;
    }
    const auto windows = m_list.CloseTargets();
    if (windows.empty()) {
        m_report("time is up, but no redirect window is registered in the window message list");
        return;
    }
    const int sent = SendClose(windows);
    if (sent < 0)
        m_report(std::string("time is up, but the window cannot be reached (") + UnreachableReason() + ")");
    else
        m_report("time is up: sent the close message to " + std::to_string(sent) + " window(s)");
}

}  // namespace tessaly::host
