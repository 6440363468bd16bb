#pragma once
// A skin picture: shows a rendered image at its own size from the top-left corner. The image is
// owned elsewhere (by the item that made the picture); without one the picture shows nothing and
// lets the parent's background show through. It never takes the mouse.
#include "controls/CSkinWidget.h"

namespace tessaly {

class CSkinPicture : public CSkinWidget {
public:
    // Shows `image` (not owned; may be null) and takes its size, as a bitmap picture does.
    void SetImage(cairo_surface_t* image);
    cairo_surface_t* Image() const { return m_image; }

    void Paint(cairo_t* cr, int width, int height) override;
    // Pictures are decoration: assistive technology passes over them.
    AtkRole AccessibleRole() const override { return ATK_ROLE_REDUNDANT_OBJECT; }

protected:
    // A picture is a static control: a click on it is a click on the dialog (in the caption band, a
    // press on the logo moves the window).
    bool TakesMouse() const override { return false; }

private:
    cairo_surface_t* m_image = nullptr;
};

}  // namespace tessaly
