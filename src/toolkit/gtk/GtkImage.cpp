// The toolkit's images on gdk-pixbuf (decoded files) and cairo image surfaces (rendered bitmaps).
#include "toolkit/Image.h"

#include "toolkit/gtk/GtkTypes.h"
#include "toolkit/gtk/ImageHelpers.h"

namespace tessaly::toolkit {

Image LoadImageFile(std::u16string_view path) { return WrapPixbuf(LoadDecodedImage(path), path); }

Image RenderImageFile(std::u16string_view path, const ZelRect& size, ZelColor fill, double scale)
{
    SurfacePtr surface;
    LoadImageToBitmap(surface, size, path, fill, scale);
    return WrapSurface(std::move(surface));
}

Image RenderKeyedImageFile(std::u16string_view path, ZelColor key, double scale)
{
    return WrapSurface(RenderKeyedStrip(path, key, scale));
}

Image MakeSolidImage(int width, int height, ZelColor color, double scale)
{
    return WrapSurface(MakeSolidSurface(width, height, color, scale));
}

Image MakeBlankImage(int width, int height, double scale) { return WrapSurface(MakeScaledSurface(width, height, scale)); }

Image CopyImageRegion(const Image& source, int x, int y, int width, int height, ZelColor fill)
{
    return WrapSurface(CopySurfaceRegion(SurfaceOf(source), x, y, width, height, fill));
}

void MakeColorTransparent(Image& image, ZelColor color) { tessaly::MakeColorTransparent(SurfaceOf(image), color); }

}  // namespace tessaly::toolkit
