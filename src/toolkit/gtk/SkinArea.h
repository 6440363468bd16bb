#pragma once
// The widget behind each skin control: a drawing area whose accessible object describes the control
// to assistive technology (screen readers and the like). Role, name and checked state are asked of
// the control each time, so they follow its text, tooltip and state as they change.
#include <gtk/gtk.h>

#include "toolkit/ControlView.h"

namespace tessaly {


// A new, floating drawing area described by `control` (which must outlive its link, see below).
GtkWidget* NewSkinArea(toolkit::ControlEvents* control);
// Cuts the link to the control, for a control that goes before its widget.
void DetachSkinArea(GtkWidget* area);

}  // namespace tessaly
