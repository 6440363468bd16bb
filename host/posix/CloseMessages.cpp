// Closing the host's redirect windows on Linux: the library's channel, else an X11 client message.

#include "WindowCloser.h"

#include "tessaly/tessaly.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace tessaly::host {
namespace {

struct XcbDisconnect {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using XcbConnection = std::unique_ptr<xcb_connection_t, XcbDisconnect>;

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name)
{
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// The X11 way alone, on the display named by $DISPLAY; -1 when it cannot be reached.
int SendX11Close(const std::vector<std::uint32_t>& windows)
{
    // xcb rather than Xlib: a window that is already gone produces an error event on this private
    // connection, which we simply never read, instead of reaching the process-wide Xlib error
    // handler that GTK installs for its own connection.
    XcbConnection connection(xcb_connect(nullptr, nullptr));
    if (!connection || xcb_connection_has_error(connection.get()))
        return -1;
    const xcb_atom_t type = InternAtom(connection.get(), TESSALY_WINDOW_MESSAGE_ATOM);
    if (type == XCB_ATOM_NONE)
        return -1;
    int sent = 0;
    for (const std::uint32_t window : windows) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = type;
        event.data.data32[0] = TESSALY_WM_PRELOGIN_CLOSE;
        event.data.data32[1] = 0;  // wParam
        event.data.data32[2] = 0;  // lParam
        xcb_send_event(connection.get(), 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
        ++sent;
    }
    xcb_flush(connection.get());
    // A round trip makes sure the server has processed the events before we disconnect.
    std::free(xcb_get_input_focus_reply(connection.get(), xcb_get_input_focus(connection.get()), nullptr));
    return sent;
}

}  // namespace

int WindowCloser::SendClose(const std::vector<std::uint32_t>& windows)
{
    // Every kind of window through the library's in-process channel; an X11 window that the channel
    // does not reach (a library without one) by an X11 client message.
    int sent = 0;
    std::vector<std::uint32_t> x11Windows;
    for (const std::uint32_t window : windows) {
        if (TessalyPostWindowMessage(window, TESSALY_WM_PRELOGIN_CLOSE, 0, 0))
            ++sent;
        else if ((window & TESSALY_CHANNEL_WINDOW_FLAG) == 0)
            x11Windows.push_back(window);
    }
    if (x11Windows.empty())
        return sent;
    const int sentByX11 = SendX11Close(x11Windows);
    return sentByX11 < 0 && sent == 0 ? -1 : sent + std::max(sentByX11, 0);
}

const char* WindowCloser::UnreachableReason() { return "no channel of the library, no X display"; }

}  // namespace tessaly::host
