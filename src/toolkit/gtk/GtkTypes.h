#pragma once
// What the toolkit's handles hold in the GTK backend, and the ways between them and the GTK, cairo
// and Pango objects inside.
#include <gtk/gtk.h>

#include <string>
#include <string_view>

#include "toolkit/ControlView.h"
#include "toolkit/Cursor.h"
#include "toolkit/Font.h"
#include "toolkit/Image.h"
#include "toolkit/TabStop.h"
#include "toolkit/gtk/GuiHandles.h"

namespace tessaly::toolkit {

// A decoded file (pixbuf, scaled at paint time) or a rendered bitmap (cairo image surface of device
// pixels, its device scale set to the bitmap's scale).
struct ImageData {
    PixbufPtr pixbuf;
    std::u16string companionPath;  // the file's high-resolution companion, decoded at first use
    bool companionTried = false;
    PixbufPtr companion;
    SurfacePtr surface;
    int width = 0;  // logical size
    int height = 0;
    double scale = 1.0;
};

struct FontData {
    FontDescPtr description;
};

// The cursor of the file and, when the file has a high-resolution companion, the cursor made of that.
struct CursorData {
    GObjectPtr<GdkCursor> cursor;
    GObjectPtr<GdkCursor> highResolution;
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

// A rendered bitmap of the surface, at the surface's device scale.
Image WrapSurface(SurfacePtr surface);
// A decoded file; `path` names it, for its high-resolution companion (none when empty).
Image WrapPixbuf(PixbufPtr pixbuf, std::u16string_view path = {});
// The image's surface or pixbuf; null when it is of the other kind or empty.
cairo_surface_t* SurfaceOf(const Image& image);
GdkPixbuf* PixbufOf(const Image& image);
// The decoded file's high-resolution companion (decoded now when it was not yet); null without one.
GdkPixbuf* CompanionPixbufOf(const Image& image);
// Null for the default font.
const PangoFontDescription* DescriptionOf(const Font& font);
// The cursor to show over a window of the given scale; null for the default one.
GdkCursor* CursorOf(const Cursor& cursor, int scale = 1);
TabStop TabStopOf(GtkWidget* widget);
GtkWidget* WidgetOf(const TabStop& stop);

}  // namespace tessaly::toolkit
