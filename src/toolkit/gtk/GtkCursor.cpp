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
    return data->cursor ? Cursor(std::move(data)) : Cursor();
}

}  // namespace tessaly::toolkit
