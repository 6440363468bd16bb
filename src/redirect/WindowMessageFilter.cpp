#include "redirect/WindowMessageFilter.h"

#include <gdk/gdkx.h>
#include <X11/Xlib.h>

#include <tessaly/tessaly.h>

namespace tessaly {

bool WindowMessageFilter::Install(GdkWindow* window, Handler handler)
{
    Remove();
    if (!window || !GDK_IS_X11_WINDOW(window))
        return false;
    Display* display = GDK_DISPLAY_XDISPLAY(gdk_window_get_display(window));
    m_atom = XInternAtom(display, TESSALY_WINDOW_MESSAGE_ATOM, False);
    m_window = window;
    m_handler = std::move(handler);
    g_object_add_weak_pointer(G_OBJECT(m_window), reinterpret_cast<gpointer*>(&m_window));
    gdk_window_add_filter(m_window, &WindowMessageFilter::Filter, this);
    return true;
}

void WindowMessageFilter::Remove()
{
    if (m_window) {
        gdk_window_remove_filter(m_window, &WindowMessageFilter::Filter, this);
        g_object_remove_weak_pointer(G_OBJECT(m_window), reinterpret_cast<gpointer*>(&m_window));
        m_window = nullptr;
    }
    m_handler = nullptr;
}

GdkFilterReturn WindowMessageFilter::Filter(GdkXEvent* xevent, GdkEvent*, gpointer self)
{
    auto* filter = static_cast<WindowMessageFilter*>(self);
    const auto* event = static_cast<const XEvent*>(xevent);
    if (event->type != ClientMessage || event->xclient.message_type != filter->m_atom || event->xclient.format != 32)
        return GDK_FILTER_CONTINUE;
    // Copy first: the handler may end the dialog and with it this filter.
    const auto message = static_cast<std::uint32_t>(event->xclient.data.l[0]);
    const auto wParam = static_cast<std::uintptr_t>(event->xclient.data.l[1]);
    const auto lParam = static_cast<std::intptr_t>(event->xclient.data.l[2]);
    if (Handler handler = filter->m_handler)
        handler(message, wParam, lParam);
    return GDK_FILTER_REMOVE;
}

bool WindowMessageFilter::Send(unsigned long xid, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = xid;
    event.xclient.message_type = XInternAtom(display, TESSALY_WINDOW_MESSAGE_ATOM, False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(message);
    event.xclient.data.l[1] = static_cast<long>(wParam);
    event.xclient.data.l[2] = static_cast<long>(lParam);
    // A window that is gone only produces an X error on this private connection; keep it harmless.
    auto* previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XSendEvent(display, xid, False, NoEventMask, &event);
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return true;
}

}  // namespace tessaly
