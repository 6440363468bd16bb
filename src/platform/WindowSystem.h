#pragma once
// The window system under the toolkit: starting the toolkit on the UI thread, the native id of a
// toplevel window that hosts put in their window list, and sending such a window a message the way
// a host does. GTK types belong to the contract; the display server's own types stay in the backend
// folder (x11/ today).
#include <gtk/gtk.h>

#include <cstdint>
#include <string>

namespace tessaly::platform {

// The id a host uses to address a window: an X11 window id on X11; 0 for none.
using NativeWindow = std::uint32_t;

// Whether a display is there for the library to start the toolkit on by itself. False, with the
// reason, when no display is named in the environment.
bool DisplayAvailable(std::string& whyNot);

// Starts the toolkit on the calling thread (the UI thread) unless it already runs, never changing
// the process locale. False, with the reason, when it cannot start (no display, connection refused).
bool StartToolkit(std::string& whyNot);

// The native id of a realized toplevel; 0 when it has none on this window system.
NativeWindow NativeWindowId(GtkWidget* toplevel);

// Sends `message` with its two parameters to the window `window` the way a host does. A window that
// is gone receives nothing and costs nothing. False when there is no display to send through.
bool SendWindowMessage(NativeWindow window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

}  // namespace tessaly::platform
