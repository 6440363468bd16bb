#pragma once

#include "HostWindowList.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace tessaly::host {

// After a delay, posts every window of the host's list the close message with the header's
// TessalyPostWindowMessage. On Linux an X11 window the library's channel does not reach gets an X11
// ClientMessage of type _TESSALY_WINDOW_MESSAGE, format 32, l[0] = TESSALY_WM_PRELOGIN_CLOSE, on an
// X connection of its own; on Windows the helper posts to the window's HWND. It runs on a thread of
// its own, because the calling thread sits inside the library's modal window meanwhile. Destroying
// the object before the time is up cancels it.
class WindowCloser {
public:
    using Report = std::function<void(const std::string&)>;

    WindowCloser(const HostWindowList& list, std::chrono::milliseconds delay, Report report);
    WindowCloser(const WindowCloser&) = delete;
    WindowCloser& operator=(const WindowCloser&) = delete;
    ~WindowCloser();

    // Sends the close message to `windows` (per system). Returns how many messages went out, or -1
    // when none could.
    static int SendClose(const std::vector<std::uint32_t>& windows);
    // Why SendClose reaches no window on this system (per system).
    static const char* UnreachableReason();

private:
    void Run(std::chrono::milliseconds delay);

    const HostWindowList& m_list;
    Report m_report;
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_cancelled = false;
    std::thread m_thread;
};

}  // namespace tessaly::host
