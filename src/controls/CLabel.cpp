#include "controls/CLabel.h"

#include <gdk/gdk.h>

#include <cstdlib>

#include "controls/ImageHelpers.h"
#include "controls/LogFont.h"
#include "controls/TextDrawing.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

int HotSpotOption(GdkPixbuf* pixbuf, const char* key)
{
    const gchar* value = gdk_pixbuf_get_option(pixbuf, key);
    return value ? std::atoi(value) : 0;
}

}  // namespace

CLabel::CLabel()
{
    WindowFont font;
    font.nHeight = 12;
    font.nWeight = 400;
    SetFontFace(font, u"宋体");
    SetFont(font);
}

void CLabel::CaptureBackground(cairo_surface_t* parentBackground)
{
    // Beyond the parent's background image the parent shows its button face, and so does the copy.
    m_bmpBack = CopySurfaceRegion(parentBackground, Rect().left, Rect().top, Rect().Width(), Rect().Height(),
                                  kButtonFace);
}

void CLabel::DrawBackground(cairo_t* cr) const
{
    PaintSurface(cr, m_bmpBack.get(), 0, 0);
}

void CLabel::SetFont(const WindowFont& font)
{
    m_lf = font;
    m_font = MakeFontDescription(m_lf);
}

void CLabel::LoadCursorFile(const std::u16string& path)
{
    m_hCursor.reset();
    PixbufPtr image = LoadDecodedImage(path);
    GdkDisplay* display = gdk_display_get_default();
    if (!image || !display)
        return;
    m_hCursor = AdoptObject(gdk_cursor_new_from_pixbuf(display, image.get(), HotSpotOption(image.get(), "x_hot"),
                                                       HotSpotOption(image.get(), "y_hot")));
    ApplyCursor();
}

void CLabel::SetToolTip(const std::u16string& text)
{
    if (Widget())
        gtk_widget_set_tooltip_text(Widget(), text.empty() ? nullptr : ToUtf8(text).c_str());
}

bool CLabel::DragsParent() const
{
    return g_ascii_strcasecmp(ToUtf8(m_strDragParent).c_str(), "TRUE") == 0;
}

void CLabel::Paint(cairo_t* cr, int width, int height)
{
    DrawBackground(cr);
    if (GdkPixbuf* image = m_pImage[m_nHover].get()) {
        const auto [x, y] = m_ptImage[m_nHover];
        DrawDecodedImage(cr, image, x, y, gdk_pixbuf_get_width(image), gdk_pixbuf_get_height(image));
    }
    std::uint32_t format = m_nFormat;
    if (m_bAlignRight)
        format |= textformat::kRight;
    DrawTextInRect(cr, m_strText, m_font.get(), m_lf.bUnderline, ZelRect{0, 0, width, height}, format, m_crText);
}

void CLabel::OnMouseMove(int, int)
{
    if (m_nHover != 1 && m_pImage[1]) {
        m_nHover = 1;
        Invalidate();
    }
}

void CLabel::OnMouseLeave()
{
    if (m_nHover != 0 && m_pImage[0]) {
        m_nHover = 0;
        Invalidate();
    }
}

void CLabel::OnLButtonDown(int, int, bool doubleClick)
{
    m_nHover = 0;
    if (!doubleClick && DragsParent() && Widget()) {
        GtkWidget* toplevel = gtk_widget_get_toplevel(Widget());
        GdkEvent* event = gtk_get_current_event();
        if (GTK_IS_WINDOW(toplevel) && event && event->type == GDK_BUTTON_PRESS) {
            const GdkEventButton& press = event->button;
            gtk_window_begin_move_drag(GTK_WINDOW(toplevel), static_cast<gint>(press.button),
                                       static_cast<gint>(press.x_root), static_cast<gint>(press.y_root), press.time);
        }
        if (event)
            gdk_event_free(event);
    }
    Notify(doubleClick ? kNotifyDoubleClicked : kNotifyClicked);
}

void CLabel::OnRealized()
{
    ApplyCursor();
}

// The cursor belongs to the label's own window, so GDK shows it while the pointer is over the label
// and restores the previous one when it leaves.
void CLabel::ApplyCursor()
{
    if (Widget() && gtk_widget_get_realized(Widget()))
        gdk_window_set_cursor(gtk_widget_get_window(Widget()), m_hCursor.get());
}

}  // namespace tessaly
