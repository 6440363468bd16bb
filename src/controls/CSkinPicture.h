#pragma once
// A skin picture: shows a rendered image at its own size from the top-left corner. Without an image
// the picture shows nothing and lets the parent's background show through. It never takes the mouse.
#include "controls/CSkinWidget.h"
#include "toolkit/Image.h"

namespace tessaly {

class CSkinPicture : public CSkinWidget {
public:
    // Shows `image` (shared with its owner; may be empty) and takes its size, as a bitmap picture does.
    void SetImage(toolkit::Image image);
    const toolkit::Image& Image() const { return m_image; }

    void Paint(toolkit::Canvas& canvas, int width, int height) override;
    // Pictures are decoration: assistive technology passes over them.
    toolkit::AccessibleRole Role() const override { return toolkit::AccessibleRole::Decoration; }

protected:
    // A picture is a static control: a click on it is a click on the dialog (in the caption band, a
    // press on the logo moves the window).
    bool TakesMouse() const override { return false; }

private:
    toolkit::Image m_image;
};

}  // namespace tessaly
