// Host messages on X11: client messages of type "_TESSALY_WINDOW_MESSAGE" (format 32: l[0] message,
// l[1] wParam, l[2] lParam) sent to the toplevel's X11 window.
#include "platform/HostMessageFilter.h"

#include <gdk/gdkx.h>
#include <X11/Xlib.h>

#include <tessaly/tessaly.h>

namespace tessaly::platform {

struct HostMessageFilter::Receiver {
    GdkWindow* window = nullptr;  // weakly watched: the filter goes when the window does
    Atom atom = 0;
    Handler handler;

    ~Receiver()
    {
        if (!window)
            return;
        gdk_window_remove_filter(window, &Receiver::Filter, this);
        g_object_remove_weak_pointer(G_OBJECT(window), reinterpret_cast<gpointer*>(&window));
    }

    static GdkFilterReturn Filter(GdkXEvent* xevent, GdkEvent*, gpointer self)
    {
        auto* receiver = static_cast<Receiver*>(self);
        const auto* event = static_cast<const XEvent*>(xevent);
        if (event->type != ClientMessage || event->xclient.message_type != receiver->atom ||
            event->xclient.format != 32)
            return GDK_FILTER_CONTINUE;
        // Copy first: the handler may end the window and with it this receiver.
        const auto message = static_cast<std::uint32_t>(event->xclient.data.l[0]);
        const auto wParam = static_cast<std::uintptr_t>(event->xclient.data.l[1]);
        const auto lParam = static_cast<std::intptr_t>(event->xclient.data.l[2]);
        if (Handler handler = receiver->handler)
            handler(message, wParam, lParam);
        return GDK_FILTER_REMOVE;
    }
};

HostMessageFilter::HostMessageFilter() = default;

HostMessageFilter::~HostMessageFilter() = default;

bool HostMessageFilter::Install(GtkWidget* toplevel, Handler handler)
{
    Remove();
    GdkWindow* window = toplevel ? gtk_widget_get_window(toplevel) : nullptr;
    // A window of another window system would register its own receiver here.
    if (!window || !GDK_IS_X11_WINDOW(window))
        return false;
    auto receiver = std::make_unique<Receiver>();
    receiver->atom = XInternAtom(GDK_DISPLAY_XDISPLAY(gdk_window_get_display(window)), TESSALY_WINDOW_MESSAGE_ATOM,
                                 False);
    receiver->handler = std::move(handler);
    receiver->window = window;
    g_object_add_weak_pointer(G_OBJECT(window), reinterpret_cast<gpointer*>(&receiver->window));
    gdk_window_add_filter(window, &Receiver::Filter, receiver.get());
    m_receiver = std::move(receiver);
    return true;
}

void HostMessageFilter::Remove()
{
    m_receiver.reset();
}

}  // namespace tessaly::platform
