#include "controls/CZelBmpButton.h"

#include "controls/LogFont.h"
#include "toolkit/Canvas.h"

namespace tessaly {

bool CZelBmpButton::LoadStateImages(std::optional<std::u16string_view> normal, std::optional<std::u16string_view> hover,
                                    std::optional<std::u16string_view> pressed,
                                    std::optional<std::u16string_view> disabled)
{
    for (toolkit::Image& image : m_pImage)
        image.Reset();
    DropFaces();
    if (!normal)
        return false;
    const std::array<std::optional<std::u16string_view>, 4> paths{normal, hover, pressed, disabled};
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (paths[i])
            m_pImage[i] = toolkit::LoadImageFile(*paths[i]);
    Invalidate();
    return true;
}

bool CZelBmpButton::LoadIconImage(std::u16string_view path)
{
    m_pIcon = toolkit::LoadImageFile(path);
    if (m_pIcon && m_pIcon.Width() == 0)
        m_pIcon.Reset();
    Invalidate();
    return true;
}

void CZelBmpButton::SetFaceName(std::u16string_view face, bool makeFont)
{
    SetFontFace(m_lf, face);
    if (makeFont)
        m_font = toolkit::MakeFont(m_lf);
}

void CZelBmpButton::SetFont(const WindowFont& font)
{
    m_lf = font;
    m_font = toolkit::MakeFont(m_lf);
}

void CZelBmpButton::DropFaces()
{
    for (toolkit::Image& face : m_bmpState)
        face.Reset();
    m_faceWidth = m_faceHeight = 0;
}

void CZelBmpButton::BuildStateBitmap(int state, int width, int height, double scale)
{
    const toolkit::Image& image = m_pImage[state] ? m_pImage[state] : m_pImage[kFaceNormal];
    if (!image || image.Width() == 0 || width <= 0 || height <= 0)
        return;
    toolkit::Image face = toolkit::MakeBlankImage(width, height, scale);
    if (auto canvas = toolkit::CanvasOnImage(face)) {
        canvas->CopyImage(m_bmpBack, 0, 0);
        canvas->DrawImage(image, ZelRect{0, 0, width, height});
    }
    m_bmpState[state] = std::move(face);
}

void CZelBmpButton::DrawContent(toolkit::Canvas& canvas, int width, int height, ZelColor textColor) const
{
    const bool hasIcon = static_cast<bool>(m_pIcon);
    const bool hasText = !m_strText.empty();
    if (!hasIcon && !hasText)
        return;
    const int iconWidth = hasIcon ? m_pIcon.Width() : 0;
    const int iconHeight = hasIcon ? m_pIcon.Height() : 0;
    ZelRect measured;
    if (hasIcon && hasText)
        measured = canvas.MeasureText(m_strText, width, m_font);
    const ButtonContentLayout layout = LayoutButtonContent(width, height, hasIcon, iconWidth, iconHeight, hasText,
                                                           measured.Width(), measured.Height());
    if (hasIcon)
        canvas.DrawImage(m_pIcon, ZelRect{layout.iconX, layout.iconY, layout.iconX + iconWidth, layout.iconY + iconHeight});
    if (hasText)
        canvas.PaintText(m_strText, m_font, m_lf.bUnderline, layout.textRect,
                        m_nTextFormat ? m_nTextFormat : kDefaultTextFormat, textColor);
}

ButtonFace CZelBmpButton::CurrentFace() const
{
    return ChooseButtonFace({!IsEnabled(), m_bChecked, Pressed(), m_bHover}, m_crText, m_crDisabledText);
}

void CZelBmpButton::Paint(toolkit::Canvas& canvas, int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    const double scale = canvas.Scale();
    if (width != m_faceWidth || height != m_faceHeight || scale != m_faceScale) {
        DropFaces();
        m_faceWidth = width;
        m_faceHeight = height;
        m_faceScale = scale;
    }
    const ButtonFace face = CurrentFace();
    if (!m_bmpState[face.index])
        BuildStateBitmap(face.index, width, height, scale);

    // Compose off screen and show the result in one copy.
    toolkit::Image composed = toolkit::MakeBlankImage(width, height, scale);
    if (auto off = toolkit::CanvasOnImage(composed)) {
        off->CopyImage(m_bmpState[face.index], 0, 0);
        DrawContent(*off, width, height, face.textColor);
        if (m_bDrawFocus && (HasFocus() || m_bFocusForPaint))
            off->DrawFocusRect(ZelRect{3, 3, width - 3, height - 3});
    }
    canvas.DrawImage(composed, ZelRect{0, 0, width, height});
}

void CZelBmpButton::OnClicked() { Notify(kNotifyClicked); }

bool CZelBmpButton::IsActivationKey(toolkit::Key key) const
{
    return key == toolkit::Key::Space || key == toolkit::Key::Return || key == toolkit::Key::KeypadEnter;
}

}  // namespace tessaly
