#include "controls/CSkinPicture.h"

namespace tessaly {

void CSkinPicture::SetImage(toolkit::Image image)
{
    m_image = std::move(image);
    if (m_image) {
        const ZelRect& at = Rect();
        Move(ZelRect{at.left, at.top, at.left + m_image.Width(), at.top + m_image.Height()});
    }
    Invalidate();
}

void CSkinPicture::Paint(toolkit::Canvas& canvas, int, int)
{
    // Blend, so transparent parts of the picture keep the dialog's background.
    if (m_image)
        canvas.DrawImage(m_image, ZelRect{0, 0, m_image.Width(), m_image.Height()});
}

}  // namespace tessaly
