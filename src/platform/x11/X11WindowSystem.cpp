// The X11 backend of the window system.
#include "platform/WindowSystem.h"

#include <gdk/gdkx.h>
#include <X11/Xlib.h>

#include <cstdlib>

#include <tessaly/tessaly.h>

namespace tessaly::platform {

namespace {

// The display servers the library starts the toolkit on when the host has not started it. X11
// first, so that hosts which close windows with X11 client messages keep working; without an X
// display, Wayland, whose windows hosts reach through the in-process channel (see HostWindowEntry).
constexpr char kBackends[] = "x11,wayland";

const char* EnvironmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// The display the toolkit will open: the X display when one is named, else the Wayland one.
const char* DisplayName()
{
    if (const char* x11 = EnvironmentValue("DISPLAY"))
        return x11;
    return EnvironmentValue("WAYLAND_DISPLAY");
}

}  // namespace

bool DisplayAvailable(std::string& whyNot)
{
    if (DisplayName())
        return true;
    whyNot = "no display (neither DISPLAY nor WAYLAND_DISPLAY is set)";
    return false;
}

bool StartToolkit(std::string& whyNot)
{
    if (gdk_display_get_default())
        return true;  // the host, or an earlier call, has started it
    if (!DisplayAvailable(whyNot))
        return false;
    // Once only: after a first start that failed, the toolkit counts as initialised and would warn.
    static const bool localeKept = [] {
        gtk_disable_setlocale();  // the process locale belongs to the host
        gdk_set_allowed_backends(kBackends);
        return true;
    }();
    (void)localeKept;
    if (gtk_init_check(nullptr, nullptr) && gdk_display_get_default())
        return true;
    whyNot = std::string("the toolkit did not start: cannot open display \"") + DisplayName() + "\"";
    return false;
}

NativeWindow NativeWindowId(GtkWidget* toplevel)
{
    if (!toplevel || !gtk_widget_get_realized(toplevel))
        return 0;
    GdkWindow* window = gtk_widget_get_window(toplevel);
    if (window && GDK_IS_X11_WINDOW(window))
        return static_cast<NativeWindow>(gdk_x11_window_get_xid(window));
    // A window of another window system has no id a host can use yet: it is not registered.
    return 0;
}

bool SendWindowMessage(NativeWindow window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, TESSALY_WINDOW_MESSAGE_ATOM, False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(message);
    event.xclient.data.l[1] = static_cast<long>(wParam);
    event.xclient.data.l[2] = static_cast<long>(lParam);
    // A window that is gone only produces an X error on this private connection; keep it harmless.
    auto* previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return true;
}

}  // namespace tessaly::platform
