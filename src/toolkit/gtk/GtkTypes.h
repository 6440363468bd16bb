#pragma once
// What the toolkit's handles hold in the GTK backend, and the ways between them and the GTK, cairo
// and Pango objects inside.
#include <gtk/gtk.h>

#include "toolkit/ControlView.h"
#include "toolkit/Cursor.h"
#include "toolkit/Font.h"
#include "toolkit/Image.h"
#include "toolkit/TabStop.h"
#include "toolkit/gtk/GuiHandles.h"

namespace tessaly::toolkit {

// A decoded file (pixbuf, scaled at paint time) or a rendered bitmap (cairo image surface).
struct ImageData {
    PixbufPtr pixbuf;
    SurfacePtr surface;
};

struct FontData {
    FontDescPtr description;
};

struct CursorData {
    GObjectPtr<GdkCursor> cursor;
};

struct TabStopData {
    GObjectPtr<GtkWidget> widget;
};

// The client area of a dialog: the GtkFixed the controls are put into.
class ControlParent {
public:
    explicit ControlParent(GtkWidget* fixed) : m_fixed(fixed) {}
    GtkWidget* Fixed() const { return m_fixed; }

private:
    GtkWidget* m_fixed;
};

Image WrapSurface(SurfacePtr surface);
Image WrapPixbuf(PixbufPtr pixbuf);
// The image's surface or pixbuf; null when it is of the other kind or empty.
cairo_surface_t* SurfaceOf(const Image& image);
GdkPixbuf* PixbufOf(const Image& image);
// Null for the default font.
const PangoFontDescription* DescriptionOf(const Font& font);
GdkCursor* CursorOf(const Cursor& cursor);
TabStop TabStopOf(GtkWidget* widget);
GtkWidget* WidgetOf(const TabStop& stop);

}  // namespace tessaly::toolkit
