#include "toolkit/gtk/CairoCanvas.h"

#include "toolkit/gtk/GtkTypes.h"
#include "toolkit/gtk/ImageHelpers.h"
#include "toolkit/gtk/TextDrawing.h"

namespace tessaly::toolkit {
namespace {

// A canvas that owns the context it draws with on an image surface, and flushes it when it goes.
class SurfaceCanvas : public CairoCanvas {
public:
    SurfaceCanvas(cairo_surface_t* surface, CairoPtr cr) : CairoCanvas(cr.get()), m_surface(surface), m_owned(std::move(cr)) {}
    ~SurfaceCanvas() override
    {
        m_owned.reset();
        cairo_surface_flush(m_surface);
    }

private:
    cairo_surface_t* m_surface;
    CairoPtr m_owned;
};

}  // namespace

std::unique_ptr<Canvas> CanvasOnImage(const Image& image)
{
    cairo_surface_t* surface = SurfaceOf(image);
    if (!surface)
        return nullptr;
    return std::make_unique<SurfaceCanvas>(surface, CairoPtr(cairo_create(surface)));
}

double CairoCanvas::Scale() const { return DeviceScale(m_cr); }

void CairoCanvas::Fill(ZelColor color)
{
    cairo_save(m_cr);
    SetSourceZelColor(m_cr, color);
    cairo_paint(m_cr);
    cairo_restore(m_cr);
}

void CairoCanvas::FillRect(const ZelRect& rect, ZelColor color)
{
    cairo_save(m_cr);
    cairo_rectangle(m_cr, rect.left, rect.top, rect.Width(), rect.Height());
    SetSourceZelColor(m_cr, color);
    cairo_fill(m_cr);
    cairo_restore(m_cr);
}

void CairoCanvas::CopyImage(const Image& image, int x, int y) { PaintSurface(m_cr, SurfaceOf(image), x, y); }

void CairoCanvas::DrawImage(const Image& image, const ZelRect& dest)
{
    if (GdkPixbuf* pixbuf = PixbufOf(image)) {
        GdkPixbuf* companion = Scale() >= kHighResolutionScale ? CompanionPixbufOf(image) : nullptr;
        DrawDecodedImage(m_cr, pixbuf, dest.left, dest.top, dest.Width(), dest.Height(), companion);
        return;
    }
    cairo_surface_t* surface = SurfaceOf(image);
    if (!surface || dest.Width() <= 0 || dest.Height() <= 0)
        return;
    cairo_save(m_cr);
    cairo_rectangle(m_cr, dest.left, dest.top, dest.Width(), dest.Height());
    cairo_clip(m_cr);
    cairo_translate(m_cr, dest.left, dest.top);
    if (dest.Width() != image.Width() || dest.Height() != image.Height())
        cairo_scale(m_cr, static_cast<double>(dest.Width()) / image.Width(),
                    static_cast<double>(dest.Height()) / image.Height());
    cairo_set_source_surface(m_cr, surface, 0, 0);
    cairo_paint(m_cr);
    cairo_restore(m_cr);
}

void CairoCanvas::DrawImagePart(const Image& image, int srcX, int srcY, const ZelRect& dest)
{
    cairo_surface_t* surface = SurfaceOf(image);
    if (!surface)
        return;
    cairo_save(m_cr);
    cairo_rectangle(m_cr, dest.left, dest.top, dest.Width(), dest.Height());
    cairo_clip(m_cr);
    cairo_set_source_surface(m_cr, surface, dest.left - srcX, dest.top - srcY);
    cairo_paint(m_cr);
    cairo_restore(m_cr);
}

void CairoCanvas::PaintText(std::u16string_view text, const Font& font, bool underline, const ZelRect& rect,
                           std::uint32_t format, ZelColor color)
{
    DrawTextInRect(m_cr, text, DescriptionOf(font), underline, rect, format, color);
}

ZelRect CairoCanvas::MeasureText(std::u16string_view text, int width, const Font& font)
{
    ZelRect rect;
    MeasureTextRect(text, width, &rect, DescriptionOf(font), m_cr);
    return rect;
}

void CairoCanvas::DrawFocusRect(const ZelRect& rect) { tessaly::DrawFocusRect(m_cr, rect); }

void CairoCanvas::PushRegion(const ZelRect& rect)
{
    cairo_save(m_cr);
    cairo_translate(m_cr, rect.left, rect.top);
    cairo_rectangle(m_cr, 0, 0, rect.Width(), rect.Height());
    cairo_clip(m_cr);
}

void CairoCanvas::PopRegion() { cairo_restore(m_cr); }

}  // namespace tessaly::toolkit
