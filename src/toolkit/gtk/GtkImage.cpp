// The toolkit's images on gdk-pixbuf (decoded files) and cairo image surfaces (rendered bitmaps).
#include "toolkit/Image.h"

#include "toolkit/gtk/GtkTypes.h"
#include "toolkit/gtk/ImageHelpers.h"

namespace tessaly::toolkit {

Image LoadImageFile(std::u16string_view path) { return WrapPixbuf(LoadDecodedImage(path)); }

Image RenderImageFile(std::u16string_view path, const ZelRect& size, ZelColor fill)
{
    SurfacePtr surface;
    LoadImageToBitmap(surface, size, path, fill);
    return WrapSurface(std::move(surface));
}

Image MakeSolidImage(int width, int height, ZelColor color) { return WrapSurface(MakeSolidSurface(width, height, color)); }

Image MakeBlankImage(int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    return WrapSurface(SurfacePtr(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)));
}

Image CopyImageRegion(const Image& source, int x, int y, int width, int height, ZelColor fill)
{
    return WrapSurface(CopySurfaceRegion(SurfaceOf(source), x, y, width, height, fill));
}

void MakeColorTransparent(Image& image, ZelColor color) { tessaly::MakeColorTransparent(SurfaceOf(image), color); }

}  // namespace tessaly::toolkit
