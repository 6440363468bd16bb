#include "toolkit/Cursor.h"

#include <cstdlib>
#include <memory>

#include "toolkit/gtk/GtkTypes.h"
#include "toolkit/gtk/ImageHelpers.h"

namespace tessaly::toolkit {
namespace {

int HotSpotOption(GdkPixbuf* pixbuf, const char* key)
{
    const gchar* value = gdk_pixbuf_get_option(pixbuf, key);
    return value ? std::atoi(value) : 0;
}

// The companion's pixels at twice the density of the file's (`base`), stretched to twice its size
// when they are not: GDK shows them at the file's size. The hot spot, in the file's pixels, is the
// companion's own scaled back.
GObjectPtr<GdkCursor> HighResolutionCursor(GdkDisplay* display, std::u16string_view path, GdkPixbuf* base)
{
    PixbufPtr image = LoadDecodedImage(HighResolutionPath(path));
    if (!image)
        return {};
    const int width = gdk_pixbuf_get_width(base), height = gdk_pixbuf_get_height(base);
    const double hotX = static_cast<double>(HotSpotOption(image.get(), "x_hot")) * width / gdk_pixbuf_get_width(image.get());
    const double hotY = static_cast<double>(HotSpotOption(image.get(), "y_hot")) * height / gdk_pixbuf_get_height(image.get());
    const int density = static_cast<int>(kHighResolutionScale);
    if (gdk_pixbuf_get_width(image.get()) != density * width || gdk_pixbuf_get_height(image.get()) != density * height)
        image = AdoptObject(gdk_pixbuf_scale_simple(image.get(), density * width, density * height, GDK_INTERP_BILINEAR));
    if (!image)
        return {};
    SurfacePtr surface(gdk_cairo_surface_create_from_pixbuf(image.get(), density, nullptr));
    return AdoptObject(gdk_cursor_new_from_surface(display, surface.get(), hotX, hotY));
}

}  // namespace

Cursor LoadCursorFile(std::u16string_view path)
{
    PixbufPtr image = LoadDecodedImage(path);
    GdkDisplay* display = gdk_display_get_default();
    if (!image || !display)
        return {};
    auto data = std::make_shared<CursorData>();
    data->cursor = AdoptObject(gdk_cursor_new_from_pixbuf(display, image.get(), HotSpotOption(image.get(), "x_hot"),
                                                          HotSpotOption(image.get(), "y_hot")));
    if (!data->cursor)
        return {};
    data->highResolution = HighResolutionCursor(display, path, image.get());
    return Cursor(std::move(data));
}

}  // namespace tessaly::toolkit
