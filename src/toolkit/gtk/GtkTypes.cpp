#include "toolkit/gtk/GtkTypes.h"

#include <cmath>
#include <memory>

#include "toolkit/gtk/ImageHelpers.h"

namespace tessaly::toolkit {

Image WrapSurface(SurfacePtr surface)
{
    if (!surface)
        return {};
    auto data = std::make_shared<ImageData>();
    double scaleX = 1.0, scaleY = 1.0;
    cairo_surface_get_device_scale(surface.get(), &scaleX, &scaleY);
    data->scale = scaleX;
    data->width = static_cast<int>(std::lround(cairo_image_surface_get_width(surface.get()) / scaleX));
    data->height = static_cast<int>(std::lround(cairo_image_surface_get_height(surface.get()) / scaleY));
    data->surface = std::move(surface);
    return Image(std::move(data));
}

Image WrapPixbuf(PixbufPtr pixbuf, std::u16string_view path)
{
    if (!pixbuf)
        return {};
    auto data = std::make_shared<ImageData>();
    data->width = gdk_pixbuf_get_width(pixbuf.get());
    data->height = gdk_pixbuf_get_height(pixbuf.get());
    data->pixbuf = std::move(pixbuf);
    if (!path.empty())
        data->companionPath = HighResolutionPath(path);
    return Image(std::move(data));
}

cairo_surface_t* SurfaceOf(const Image& image) { return image ? image.Data()->surface.get() : nullptr; }

GdkPixbuf* PixbufOf(const Image& image) { return image ? image.Data()->pixbuf.get() : nullptr; }

GdkPixbuf* CompanionPixbufOf(const Image& image)
{
    ImageData* data = image.Data();
    if (!data || !data->pixbuf)
        return nullptr;
    if (!data->companionTried) {
        data->companionTried = true;
        if (!data->companionPath.empty())
            data->companion = LoadDecodedImage(data->companionPath);
    }
    return data->companion.get();
}

int Image::Width() const { return m_data ? m_data->width : 0; }

int Image::Height() const { return m_data ? m_data->height : 0; }

double Image::Scale() const { return m_data && m_data->surface ? m_data->scale : 1.0; }

const PangoFontDescription* DescriptionOf(const Font& font) { return font ? font.Data()->description.get() : nullptr; }

GdkCursor* CursorOf(const Cursor& cursor, int scale)
{
    if (!cursor)
        return nullptr;
    const CursorData& data = *cursor.Data();
    return scale >= kHighResolutionScale && data.highResolution ? data.highResolution.get() : data.cursor.get();
}

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
