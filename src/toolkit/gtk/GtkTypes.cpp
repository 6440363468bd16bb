#include "toolkit/gtk/GtkTypes.h"

#include <memory>

namespace tessaly::toolkit {

Image WrapSurface(SurfacePtr surface)
{
    if (!surface)
        return {};
    auto data = std::make_shared<ImageData>();
    data->surface = std::move(surface);
    return Image(std::move(data));
}

Image WrapPixbuf(PixbufPtr pixbuf)
{
    if (!pixbuf)
        return {};
    auto data = std::make_shared<ImageData>();
    data->pixbuf = std::move(pixbuf);
    return Image(std::move(data));
}

cairo_surface_t* SurfaceOf(const Image& image) { return image ? image.Data()->surface.get() : nullptr; }

GdkPixbuf* PixbufOf(const Image& image) { return image ? image.Data()->pixbuf.get() : nullptr; }

int Image::Width() const
{
    if (!m_data)
        return 0;
    return m_data->pixbuf ? gdk_pixbuf_get_width(m_data->pixbuf.get()) : cairo_image_surface_get_width(m_data->surface.get());
}

int Image::Height() const
{
    if (!m_data)
        return 0;
    return m_data->pixbuf ? gdk_pixbuf_get_height(m_data->pixbuf.get())
                          : cairo_image_surface_get_height(m_data->surface.get());
}

const PangoFontDescription* DescriptionOf(const Font& font) { return font ? font.Data()->description.get() : nullptr; }

GdkCursor* CursorOf(const Cursor& cursor) { return cursor ? cursor.Data()->cursor.get() : nullptr; }

TabStop TabStopOf(GtkWidget* widget)
{
    if (!widget)
        return {};
    auto data = std::make_shared<TabStopData>();
    data->widget = ShareObject(widget);
    return TabStop(std::move(data));
}

GtkWidget* WidgetOf(const TabStop& stop) { return stop ? stop.Data()->widget.get() : nullptr; }

}  // namespace tessaly::toolkit
