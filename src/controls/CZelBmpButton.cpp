#include "controls/CZelBmpButton.h"

#include <gdk/gdkkeysyms.h>

#include "controls/ImageHelpers.h"
#include "controls/LogFont.h"
#include "controls/TextDrawing.h"

namespace tessaly {

bool CZelBmpButton::LoadStateImages(std::optional<std::u16string_view> normal, std::optional<std::u16string_view> hover,
                                    std::optional<std::u16string_view> pressed,
                                    std::optional<std::u16string_view> disabled)
{
    for (PixbufPtr& image : m_pImage)
        image.reset();
    DropFaces();
    if (!normal)
        return false;
    const std::array<std::optional<std::u16string_view>, 4> paths{normal, hover, pressed, disabled};
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (paths[i])
            m_pImage[i] = LoadDecodedImage(*paths[i]);
    Invalidate();
    return true;
}

bool CZelBmpButton::LoadIconImage(std::u16string_view path)
{
    m_pIcon = LoadDecodedImage(path);
    if (m_pIcon && gdk_pixbuf_get_width(m_pIcon.get()) == 0)
        m_pIcon.reset();
    Invalidate();
    return true;
}

void CZelBmpButton::SetFaceName(std::u16string_view face, bool makeFont)
{
    SetFontFace(m_lf, face);
    if (makeFont)
        m_font = MakeFontDescription(m_lf);
}

void CZelBmpButton::SetFont(const WindowFont& font)
{
    m_lf = font;
    m_font = MakeFontDescription(m_lf);
}

void CZelBmpButton::DropFaces()
{
    for (SurfacePtr& face : m_bmpState)
        face.reset();
    m_faceWidth = m_faceHeight = 0;
}

void CZelBmpButton::BuildStateBitmap(int state, int width, int height)
{
    GdkPixbuf* image = m_pImage[state] ? m_pImage[state].get() : m_pImage[kFaceNormal].get();
    if (!image || gdk_pixbuf_get_width(image) == 0 || width <= 0 || height <= 0)
        return;
    SurfacePtr face(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    CairoPtr cr(cairo_create(face.get()));
    PaintSurface(cr.get(), m_bmpBack.get(), 0, 0);
    DrawDecodedImage(cr.get(), image, 0, 0, width, height);
    cairo_surface_flush(face.get());
    m_bmpState[state] = std::move(face);
}

void CZelBmpButton::DrawContent(cairo_t* cr, int width, int height, ZelColor textColor) const
{
    const bool hasIcon = m_pIcon != nullptr;
    const bool hasText = !m_strText.empty();
    if (!hasIcon && !hasText)
        return;
    const int iconWidth = hasIcon ? gdk_pixbuf_get_width(m_pIcon.get()) : 0;
    const int iconHeight = hasIcon ? gdk_pixbuf_get_height(m_pIcon.get()) : 0;
    ZelRect measured;
    if (hasIcon && hasText)
        MeasureTextRect(m_strText, width, &measured, m_font.get(), cr);
    const ButtonContentLayout layout = LayoutButtonContent(width, height, hasIcon, iconWidth, iconHeight, hasText,
                                                           measured.Width(), measured.Height());
    if (hasIcon)
        DrawDecodedImage(cr, m_pIcon.get(), layout.iconX, layout.iconY, iconWidth, iconHeight);
    if (hasText)
        DrawTextInRect(cr, m_strText, m_font.get(), m_lf.bUnderline, layout.textRect,
                       m_nTextFormat ? m_nTextFormat : kDefaultTextFormat, textColor);
}

ButtonFace CZelBmpButton::CurrentFace() const
{
    return ChooseButtonFace({!IsEnabled(), m_bChecked, Pressed(), m_bHover}, m_crText, m_crDisabledText);
}

void CZelBmpButton::Paint(cairo_t* cr, int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    if (width != m_faceWidth || height != m_faceHeight) {
        DropFaces();
        m_faceWidth = width;
        m_faceHeight = height;
    }
    const ButtonFace face = CurrentFace();
    if (!m_bmpState[face.index])
        BuildStateBitmap(face.index, width, height);

    // Compose off screen and show the result in one copy.
    SurfacePtr composed(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    {
        CairoPtr off(cairo_create(composed.get()));
        PaintSurface(off.get(), m_bmpState[face.index].get(), 0, 0);
        DrawContent(off.get(), width, height, face.textColor);
        if (m_bDrawFocus && (HasFocus() || m_bFocusForPaint))
            DrawFocusRect(off.get(), ZelRect{3, 3, width - 3, height - 3});
    }
    cairo_surface_flush(composed.get());
    cairo_save(cr);
    cairo_set_source_surface(cr, composed.get(), 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
}

void CZelBmpButton::OnClicked() { Notify(kNotifyClicked); }

bool CZelBmpButton::IsActivationKey(unsigned keyval) const
{
    return keyval == GDK_KEY_space || keyval == GDK_KEY_Return || keyval == GDK_KEY_KP_Enter;
}

}  // namespace tessaly
