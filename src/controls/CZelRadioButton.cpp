#include "controls/CZelRadioButton.h"

#include "controls/TextFormat.h"
#include "toolkit/Canvas.h"

namespace tessaly {

CZelRadioButton::CZelRadioButton(int type) : m_nType(type), m_font(toolkit::MakeFont(m_lf)) {}

void CZelRadioButton::CaptureBackground(const toolkit::Image& parentBackground)
{
    // Beyond the parent's background image the parent shows its button face, and so does the copy.
    m_bmpBack = toolkit::CopyImageRegion(parentBackground, Rect().left, Rect().top, Rect().Width(), Rect().Height(),
                                         kButtonFace);
}

void CZelRadioButton::LoadImageStrip(std::u16string_view path, double scale)
{
    // The image keeps its own transparency; opaque magenta is the key, taken out before any scaling.
    toolkit::Image strip = toolkit::RenderKeyedImageFile(path, kMagenta, scale);
    if (!strip)
        return;
    m_nImageWidth = strip.Width() / kCellCount;
    m_imageList = std::move(strip);
    Invalidate();
}

void CZelRadioButton::SetFont(const WindowFont& font)
{
    m_lf = font;
    m_font = toolkit::MakeFont(m_lf);
}

void CZelRadioButton::SetChecked(bool checked)
{
    if (checked != m_bChecked) {
        m_bChecked = checked;
        Invalidate();
        if (View())
            View()->CheckedChanged(checked);
    }
}

toolkit::AccessibleRole CZelRadioButton::Role() const
{
    using toolkit::AccessibleRole;
    return m_nType == kCheckBox      ? AccessibleRole::CheckBox
           : m_nType == kRadioButton ? AccessibleRole::RadioButton
                                     : AccessibleRole::PushButton;
}

std::optional<bool> CZelRadioButton::AccessibleChecked() const
{
    if (m_nType != kCheckBox && m_nType != kRadioButton)
        return std::nullopt;
    return m_bChecked;
}

int CZelRadioButton::CellIndex(bool checked, bool disabled, bool pressed, bool hover)
{
    const int state = disabled ? 3 : pressed ? 2 : hover ? 1 : 0;
    return (checked ? 4 : 0) + state;
}

int CZelRadioButton::CurrentCell() const
{
    return CellIndex(m_bChecked, !IsEnabled(), Pressed(), m_bHover);
}

void CZelRadioButton::Paint(toolkit::Canvas& canvas, int width, int height)
{
    canvas.CopyImage(m_bmpBack, 0, 0);
    int textLeft = 0;
    if (m_imageList && m_nImageWidth > 0) {
        const int cellHeight = m_imageList.Height();
        const int top = (height - cellHeight) / 2;
        canvas.DrawImagePart(m_imageList, CurrentCell() * m_nImageWidth, 0,
                             ZelRect{0, top, m_nImageWidth, top + cellHeight});
        textLeft = m_nImageWidth + kTextGap;
    }
    const ZelColor color = !IsEnabled() ? kGrayText : m_crText == kNoColor ? kWindowText : m_crText;
    const ZelRect textRect{textLeft, 0, width, height};
    canvas.PaintText(m_strText, m_font, m_lf.bUnderline, textRect, textformat::kSingleLine | textformat::kVCenter,
                    color);
    if (HasFocus() && !m_strText.empty())
        canvas.DrawFocusRect(ZelRect{textLeft, 1, width - 1, height - 1});
}

void CZelRadioButton::OnClicked()
{
    SetChecked(m_nType == kRadioButton ? true : !m_bChecked);
    Notify(kNotifyClicked);
}

}  // namespace tessaly
