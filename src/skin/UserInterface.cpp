#include <gtk/gtk.h>

#include "skin/CZelCommonDlg.h"

namespace tessaly {

bool EnsureUserInterface()
{
    if (gdk_display_get_default())
        return true;  // the host (or an earlier call) has set GTK up
    // X11 first, so that hosts which close windows with X11 client messages keep working; without
    // an X display, Wayland (windows are then reached through the in-process channel).
    gdk_set_allowed_backends("x11,wayland");
    return gtk_init_check(nullptr, nullptr) && gdk_display_get_default() != nullptr;
}

}  // namespace tessaly
