#pragma once
// Real input for the window tests: pointer and keys synthesized through the XTest extension, so they
// take the user's path (X server, GDK, GTK) to the window. Include it last: the X11 headers define
// short macro names.
#include <gdk/gdk.h>
#include <gdk/gdkx.h>

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>

#include "common/ProcessCensus.h"

namespace tessaly::test {

inline Display* XDisplay() { return gdk_x11_display_get_xdisplay(gdk_display_get_default()); }

// Synthesized input needs an X11 display; on another display server such a test skips.
inline bool HasX11Input() { return GDK_IS_X11_DISPLAY(gdk_display_get_default()); }
#define TESSALY_REQUIRE_X11_INPUT()                                                                \
    if (!tessaly::test::HasX11Input())                                                             \
    GTEST_SKIP() << "synthesized input needs an X11 display (XTest)"

// Hands everything the server has for us to GTK and runs what is ready.
inline void Pump()
{
    if (HasX11Input())
        XSync(XDisplay(), False);
    else
        gdk_display_sync(gdk_display_get_default());
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

// Pumps until `done` holds; false when the (generous) limit passes first.
template <typename Pred>
bool PumpUntil(Pred done, std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    return test::WaitUntil(
        [&] {
            Pump();
            return done();
        },
        limit);
}

inline void PointerTo(int rootX, int rootY)
{
    XTestFakeMotionEvent(XDisplay(), -1, rootX, rootY, CurrentTime);
    Pump();
}

inline void PrimaryButton(bool down)
{
    XTestFakeButtonEvent(XDisplay(), 1, down ? True : False, CurrentTime);
    Pump();
}

inline void Key(KeySym sym, bool down)
{
    XTestFakeKeyEvent(XDisplay(), XKeysymToKeycode(XDisplay(), sym), down ? True : False, CurrentTime);
    Pump();
}

inline void Tap(KeySym sym, bool shift = false)
{
    if (shift)
        Key(XK_Shift_L, true);
    Key(sym, true);
    Key(sym, false);
    if (shift)
        Key(XK_Shift_L, false);
}

// The top-left corner of `window`'s client area on the screen.
inline GdkPoint Origin(GtkWidget* window)
{
    GdkPoint at{};
    gdk_window_get_origin(gtk_widget_get_window(window), &at.x, &at.y);
    return at;
}

// Shows the window, gives it the keyboard and waits until it is on screen and active.
inline bool ShowForInput(GtkWidget* window)
{
    gtk_widget_show(window);
    gtk_window_present(GTK_WINDOW(window));
    if (!PumpUntil([&] { return gtk_widget_get_mapped(window) && gdk_window_is_viewable(gtk_widget_get_window(window)); }))
        return false;
    if (!HasX11Input())
        return true;  // the compositor decides about the keyboard
    // Without a window manager nobody else hands out the keyboard; with one, it may still be busy
    // mapping the window, and a refused request is no harm.
    gdk_x11_display_error_trap_push(gdk_display_get_default());
    XSetInputFocus(XDisplay(), gdk_x11_window_get_xid(gtk_widget_get_window(window)), RevertToParent, CurrentTime);
    gdk_x11_display_error_trap_pop_ignored(gdk_display_get_default());
    return PumpUntil([&] { return gtk_window_is_active(GTK_WINDOW(window)) != FALSE; });
}

// The colour (0xRRGGBB) of one pixel of the window's client area as the screen shows it.
inline std::uint32_t ScreenPixel(GtkWidget* window, int x, int y)
{
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(gtk_widget_get_window(window), x, y, 1, 1);
    if (!shot)
        return 0xFFFFFFFFu;
    const guchar* p = gdk_pixbuf_get_pixels(shot);
    const std::uint32_t rgb = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
    g_object_unref(shot);
    return rgb;
}

}  // namespace tessaly::test
