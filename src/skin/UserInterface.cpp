#include <gtk/gtk.h>

#include "skin/CZelCommonDlg.h"

namespace tessaly {

bool EnsureUserInterface()
{
    if (gdk_display_get_default())
        return true;  // the host (or an earlier call) has set GTK up
    // Window ids are handed to the host as X11 ids, so only that backend will do.
    gdk_set_allowed_backends("x11");
    return gtk_init_check(nullptr, nullptr) && gdk_display_get_default() != nullptr;
}

}  // namespace tessaly
