#pragma once
// A skin picture: shows a rendered image at its own size from the top-left corner. The image is
// owned elsewhere (by the item that made the picture); without one the picture shows nothing and
// lets the parent's background show through.
#include "controls/CSkinWidget.h"

namespace tessaly {

class CSkinPicture : public CSkinWidget {
public:
    // Shows `image` (not owned; may be null) and takes its size, as a bitmap picture does.
    void SetImage(cairo_surface_t* image);
    cairo_surface_t* Image() const { return m_image; }

    void Paint(cairo_t* cr, int width, int height) override;

private:
    cairo_surface_t* m_image = nullptr;
};

}  // namespace tessaly
