#pragma once
// Receives the window messages other threads and processes send to a toplevel as X11 client
// messages of type "_TESSALY_WINDOW_MESSAGE" (format 32: l[0] message, l[1] wParam, l[2] lParam) and
// hands them to the owner on the window's thread. Removed again when the filter object goes.
#include <gdk/gdk.h>

#include <cstdint>
#include <functional>

namespace tessaly {

class WindowMessageFilter {
public:
    using Handler = std::function<void(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)>;

    WindowMessageFilter() = default;
    ~WindowMessageFilter() { Remove(); }
    WindowMessageFilter(const WindowMessageFilter&) = delete;
    WindowMessageFilter& operator=(const WindowMessageFilter&) = delete;

    // Starts filtering the events of `window` (an X11 GdkWindow). False when the window is not on X11.
    bool Install(GdkWindow* window, Handler handler);

    // Stops filtering (idempotent).
    void Remove();

    // Sends one message to the X11 window `xid` on the default display of this process, the way a
    // host does. False when there is no X11 display. For tests and tools.
    static bool Send(unsigned long xid, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

private:
    static GdkFilterReturn Filter(GdkXEvent* xevent, GdkEvent* event, gpointer self);

    GdkWindow* m_window = nullptr;  // weakly watched: the filter goes when the window does
    unsigned long m_atom = 0;
    Handler m_handler;
};

}  // namespace tessaly
