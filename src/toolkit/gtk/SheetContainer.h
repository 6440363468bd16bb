#pragma once
// The client area of a skinned dialog: a fixed-position container whose size is the skin's sheet and
// nothing else. Its children sit at pixel positions and keep their own sizes, but a child reaching
// past the sheet is clipped by the window instead of making it larger, as a child window is clipped
// by its parent.
//
// With Tab and Shift+Tab the focus follows the order in which the children were put into the
// container (the dialog's order), not their places on screen.
#include <gtk/gtk.h>

namespace tessaly {

// The GType, registered on first use; a template names it "TessalySheet".
GType SheetContainerType();
// Changes the size the sheet asks for; false when `widget` is no sheet.
bool SetSheetSize(GtkWidget* widget, int width, int height);

}  // namespace tessaly
