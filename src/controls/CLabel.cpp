#include "controls/CLabel.h"

#include "controls/LogFont.h"
#include "controls/TextFormat.h"
#include "support/WideText.h"

namespace tessaly {

CLabel::CLabel()
{
    WindowFont font;
    font.nHeight = 12;
    font.nWeight = 400;
    SetFontFace(font, u"宋体");
    SetFont(font);
}

void CLabel::CaptureBackground(const toolkit::Image& parentBackground)
{
    // Beyond the parent's background image the parent shows its button face, and so does the copy.
    m_bmpBack = toolkit::CopyImageRegion(parentBackground, Rect().left, Rect().top, Rect().Width(), Rect().Height(),
                                         kButtonFace);
}

void CLabel::DrawBackground(toolkit::Canvas& canvas) const { canvas.CopyImage(m_bmpBack, 0, 0); }

void CLabel::SetFont(const WindowFont& font)
{
    m_lf = font;
    m_font = toolkit::MakeFont(m_lf);
}

void CLabel::LoadCursorFile(const std::u16string& path)
{
    m_hCursor = toolkit::LoadCursorFile(path);
    if (View())
        View()->SetCursor(m_hCursor);
}

void CLabel::SetToolTip(const std::u16string& text)
{
    if (View())
        View()->SetToolTip(text);
}

void CLabel::OnViewCreated()
{
    if (m_hCursor)
        View()->SetCursor(m_hCursor);
}

bool CLabel::DragsParent() const { return EqualsNoCase(m_strDragParent, u"TRUE"); }

void CLabel::Paint(toolkit::Canvas& canvas, int width, int height)
{
    DrawBackground(canvas);
    if (const toolkit::Image& image = m_pImage[m_nHover]) {
        const auto [x, y] = m_ptImage[m_nHover];
        canvas.DrawImage(image, ZelRect{x, y, x + image.Width(), y + image.Height()});
    }
    std::uint32_t format = m_nFormat;
    if (m_bAlignRight)
        format |= textformat::kRight;
    canvas.PaintText(m_strText, m_font, m_lf.bUnderline, ZelRect{0, 0, width, height}, format, m_crText);
}

void CLabel::OnMouseMove(int, int)
{
    if (m_nHover != 1 && m_pImage[1]) {
        m_nHover = 1;
        Invalidate();
    }
}

void CLabel::OnMouseLeave()
{
    if (m_nHover != 0 && m_pImage[0]) {
        m_nHover = 0;
        Invalidate();
    }
}

void CLabel::OnLButtonDown(int, int, bool doubleClick)
{
    m_nHover = 0;
    if (!doubleClick && DragsParent() && View())
        View()->BeginWindowDrag();
    Notify(doubleClick ? kNotifyDoubleClicked : kNotifyClicked);
}

}  // namespace tessaly
