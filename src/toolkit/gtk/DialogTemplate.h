#pragma once
// The built-in dialog template 1000 (a GtkBuilder file compiled into the library).
#include <gtk/gtk.h>

namespace tessaly {

struct DialogTemplate {
    GtkWidget* window = nullptr;    // a new toplevel; the caller owns this reference
    GtkWidget* client = nullptr;    // its client area, a GtkFixed the size of the sheet
    GtkWidget* slot1000 = nullptr;  // control 1000, the browser's slot
};

// Builds a fresh copy of the template; all members null when it cannot be built.
DialogTemplate LoadDialogTemplate();

}  // namespace tessaly
