#include "controls/CSkinPicture.h"

#include "controls/ImageHelpers.h"

namespace tessaly {

void CSkinPicture::SetImage(cairo_surface_t* image)
{
    m_image = image;
    if (image) {
        const ZelRect& at = Rect();
        Move(ZelRect{at.left, at.top, at.left + cairo_image_surface_get_width(image),
                      at.top + cairo_image_surface_get_height(image)});
    }
    Invalidate();
}

void CSkinPicture::Paint(cairo_t* cr, int, int)
{
    if (!m_image)
        return;
    // Blend, so transparent parts of the picture keep the dialog's background.
    cairo_save(cr);
    cairo_set_source_surface(cr, m_image, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
}

}  // namespace tessaly
