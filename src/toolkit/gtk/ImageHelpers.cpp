#include "toolkit/gtk/ImageHelpers.h"

#include <gdk/gdk.h>

#include "toolkit/Image.h"
#include "toolkit/gtk/TextDrawing.h"

namespace tessaly {

PixbufPtr LoadDecodedImage(std::u16string_view path)
{
    if (path.empty())
        return nullptr;
    const std::string name = FileSystemName(path);
    GError* error = nullptr;
    const PixbufPtr pixbuf = AdoptObject(gdk_pixbuf_new_from_file(name.c_str(), &error));
    const ErrorPtr failure(error);
    if (!pixbuf)
        return nullptr;
    // Honour the orientation tag of photographs so the picture shows upright.
    return AdoptObject(gdk_pixbuf_apply_embedded_orientation(pixbuf.get()));
}

double DeviceScale(cairo_t* cr)
{
    double scaleX = 1.0, scaleY = 1.0;
    if (cr)
        cairo_surface_get_device_scale(cairo_get_group_target(cr), &scaleX, &scaleY);
    return scaleX;
}

SurfacePtr MakeScaledSurface(int width, int height, double scale)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, toolkit::DevicePixels(width, scale),
                                                  toolkit::DevicePixels(height, scale)));
    cairo_surface_set_device_scale(surface.get(), scale, scale);
    return surface;
}

void DrawDecodedImage(cairo_t* cr, GdkPixbuf* image, int x, int y, int width, int height, GdkPixbuf* companion)
{
    if (!cr || !image || width <= 0 || height <= 0)
        return;
    const double scale = DeviceScale(cr);
    GdkPixbuf* source = scale >= toolkit::kHighResolutionScale && companion ? companion : image;
    const int deviceWidth = toolkit::DevicePixels(width, scale);
    const int deviceHeight = toolkit::DevicePixels(height, scale);
    // Scaling the pixels first keeps the edges crisp; scaling through cairo would blend them with
    // the transparent surroundings. The pixels are scaled once, to the target's device pixels.
    PixbufPtr scaled;
    if (gdk_pixbuf_get_width(source) != deviceWidth || gdk_pixbuf_get_height(source) != deviceHeight) {
        scaled = AdoptObject(gdk_pixbuf_scale_simple(source, deviceWidth, deviceHeight, GDK_INTERP_BILINEAR));
        if (!scaled)
            return;
        source = scaled.get();
    }
    cairo_save(cr);
    cairo_translate(cr, x, y);
    if (scale != 1.0)
        cairo_scale(cr, 1.0 / scale, 1.0 / scale);
    gdk_cairo_set_source_pixbuf(cr, source, 0, 0);
    cairo_rectangle(cr, 0, 0, deviceWidth, deviceHeight);
    cairo_fill(cr);
    cairo_restore(cr);
}

int LoadImageToBitmap(SurfacePtr& bitmap, const ZelRect& size, std::u16string_view path, ZelColor fill, double scale)
{
    PixbufPtr image = LoadDecodedImage(path);
    if (!image)
        return 0;
    int width = size.Width();
    int height = size.Height();
    if (width == 0 || height == 0) {
        width = gdk_pixbuf_get_width(image.get());
        height = gdk_pixbuf_get_height(image.get());
    }
    if (width <= 0 || height <= 0)
        return 0;
    SurfacePtr surface = MakeScaledSurface(width, height, scale);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return 0;
    const PixbufPtr companion =
        scale >= toolkit::kHighResolutionScale ? LoadDecodedImage(toolkit::HighResolutionPath(path)) : nullptr;
    {
        CairoPtr cr(cairo_create(surface.get()));
        if (fill != kNoColor) {
            SetSourceZelColor(cr.get(), fill);
            cairo_paint(cr.get());
        }
        DrawDecodedImage(cr.get(), image.get(), 0, 0, width, height, companion.get());
    }
    cairo_surface_flush(surface.get());
    bitmap = std::move(surface);
    return 0;
}

SurfacePtr RenderKeyedStrip(std::u16string_view path, ZelColor key, double scale)
{
    const PixbufPtr image = LoadDecodedImage(path);
    if (!image)
        return nullptr;
    const int width = gdk_pixbuf_get_width(image.get());
    const int height = gdk_pixbuf_get_height(image.get());
    PixbufPtr companion =
        scale >= toolkit::kHighResolutionScale ? LoadDecodedImage(toolkit::HighResolutionPath(path)) : nullptr;
    GdkPixbuf* source = companion ? companion.get() : image.get();
    // The file as it is, its own transparency kept, with the key taken out.
    SurfacePtr keyed = MakeScaledSurface(gdk_pixbuf_get_width(source), gdk_pixbuf_get_height(source), 1.0);
    {
        CairoPtr cr(cairo_create(keyed.get()));
        DrawDecodedImage(cr.get(), source, 0, 0, gdk_pixbuf_get_width(source), gdk_pixbuf_get_height(source));
    }
    cairo_surface_flush(keyed.get());
    MakeColorTransparent(keyed.get(), key);
    const int deviceWidth = toolkit::DevicePixels(width, scale);
    const int deviceHeight = toolkit::DevicePixels(height, scale);
    if (cairo_image_surface_get_width(keyed.get()) == deviceWidth &&
        cairo_image_surface_get_height(keyed.get()) == deviceHeight) {
        cairo_surface_set_device_scale(keyed.get(), scale, scale);
        return keyed;
    }
    SurfacePtr strip = MakeScaledSurface(width, height, scale);
    {
        CairoPtr cr(cairo_create(strip.get()));
        cairo_scale(cr.get(), static_cast<double>(width) / cairo_image_surface_get_width(keyed.get()),
                    static_cast<double>(height) / cairo_image_surface_get_height(keyed.get()));
        cairo_set_source_surface(cr.get(), keyed.get(), 0, 0);
        cairo_pattern_set_extend(cairo_get_source(cr.get()), CAIRO_EXTEND_PAD);
        cairo_pattern_set_filter(cairo_get_source(cr.get()), CAIRO_FILTER_GOOD);
        cairo_paint(cr.get());
    }
    cairo_surface_flush(strip.get());
    return strip;
}

void MakeColorTransparent(cairo_surface_t* surface, ZelColor color)
{
    if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32)
        return;
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    // Cairo keeps native-endian premultiplied 0xAARRGGBB words; an opaque key colour compares exactly.
    const std::uint32_t key = 0xFF000000u | (RedOf(color) << 16) | (GreenOf(color) << 8) | BlueOf(color);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x)
            if (row[x] == key)
                row[x] = 0;
    }
    cairo_surface_mark_dirty(surface);
}

SurfacePtr CopySurfaceRegion(cairo_surface_t* source, int x, int y, int width, int height, ZelColor fill)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    double scale = 1.0, scaleY = 1.0;
    if (source)
        cairo_surface_get_device_scale(source, &scale, &scaleY);
    SurfacePtr copy = fill == kNoColor ? MakeScaledSurface(width, height, scale)
                                       : MakeSolidSurface(width, height, fill, scale);
    if (source) {
        CairoPtr cr(cairo_create(copy.get()));
        cairo_set_source_surface(cr.get(), source, -x, -y);
        cairo_paint(cr.get());
    }
    cairo_surface_flush(copy.get());
    return copy;
}

void PaintSurface(cairo_t* cr, cairo_surface_t* surface, int x, int y)
{
    if (!cr || !surface)
        return;
    double scaleX = 1.0, scaleY = 1.0;
    cairo_surface_get_device_scale(surface, &scaleX, &scaleY);
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, surface, x, y);
    const double w = cairo_image_surface_get_width(surface) / scaleX;
    const double h = cairo_image_surface_get_height(surface) / scaleY;
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
    cairo_restore(cr);
}

void DrawFocusRect(cairo_t* cr, const ZelRect& rect)
{
    if (!cr || rect.Width() <= 0 || rect.Height() <= 0)
        return;
    cairo_save(cr);
    const int right = rect.right - 1, bottom = rect.bottom - 1;
    for (int phase = 0; phase < 2; ++phase) {
        for (int x = rect.left + phase; x <= right; x += 2) {
            cairo_rectangle(cr, x, rect.top, 1, 1);
            cairo_rectangle(cr, x, bottom, 1, 1);
        }
        for (int y = rect.top + phase; y <= bottom; y += 2) {
            cairo_rectangle(cr, rect.left, y, 1, 1);
            cairo_rectangle(cr, right, y, 1, 1);
        }
        SetSourceZelColor(cr, phase == 0 ? kWindowText : kFocusLight);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

SurfacePtr MakeSolidSurface(int width, int height, ZelColor color, double scale)
{
    SurfacePtr surface = MakeScaledSurface(width, height, scale);
    if (!surface)
        return nullptr;
    CairoPtr cr(cairo_create(surface.get()));
    SetSourceZelColor(cr.get(), color);
    cairo_paint(cr.get());
    cairo_surface_flush(surface.get());
    return surface;
}

}  // namespace tessaly
