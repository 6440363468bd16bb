#include "controls/CZelRadioButton.h"

#include "controls/ImageHelpers.h"
#include "controls/LogFont.h"
#include "controls/TextDrawing.h"

namespace tessaly {

CZelRadioButton::CZelRadioButton(int type) : m_nType(type), m_font(MakeFontDescription(m_lf)) {}

void CZelRadioButton::CaptureBackground(cairo_surface_t* parentBackground)
{
    // Beyond the parent's background image the parent shows its button face, and so does the copy.
    m_bmpBack = CopySurfaceRegion(parentBackground, Rect().left, Rect().top, Rect().Width(), Rect().Height(),
                                  kButtonFace);
}

void CZelRadioButton::LoadImageStrip(std::u16string_view path)
{
    SurfacePtr strip;
    // The image keeps its own transparency (flattened onto magenta, half-transparent edge pixels
    // would turn into a magenta fringe that the key no longer matches); opaque magenta is the key.
    LoadImageToBitmap(strip, ZelRect{}, path, kNoColor);
    if (!strip)
        return;
    MakeColorTransparent(strip.get(), kMagenta);
    m_nImageWidth = cairo_image_surface_get_width(strip.get()) / kCellCount;
    m_imageList = std::move(strip);
    Invalidate();
}

void CZelRadioButton::SetFont(const WindowFont& font)
{
    m_lf = font;
    m_font = MakeFontDescription(m_lf);
}

void CZelRadioButton::SetChecked(bool checked)
{
    if (checked != m_bChecked) {
        m_bChecked = checked;
        Invalidate();
        if (Widget())
            atk_object_notify_state_change(gtk_widget_get_accessible(Widget()), ATK_STATE_CHECKED, checked);
    }
}

AtkRole CZelRadioButton::AccessibleRole() const
{
    return m_nType == kCheckBox      ? ATK_ROLE_CHECK_BOX
           : m_nType == kRadioButton ? ATK_ROLE_RADIO_BUTTON
                                     : ATK_ROLE_PUSH_BUTTON;
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

void CZelRadioButton::Paint(cairo_t* cr, int width, int height)
{
    PaintSurface(cr, m_bmpBack.get(), 0, 0);
    int textLeft = 0;
    if (m_imageList && m_nImageWidth > 0) {
        const int cellHeight = cairo_image_surface_get_height(m_imageList.get());
        const int top = (height - cellHeight) / 2;
        cairo_save(cr);
        cairo_rectangle(cr, 0, top, m_nImageWidth, cellHeight);
        cairo_clip(cr);
        cairo_set_source_surface(cr, m_imageList.get(), -CurrentCell() * m_nImageWidth, top);
        cairo_paint(cr);
        cairo_restore(cr);
        textLeft = m_nImageWidth + kTextGap;
    }
    const ZelColor color = !IsEnabled() ? kGrayText : m_crText == kNoColor ? kWindowText : m_crText;
    const ZelRect textRect{textLeft, 0, width, height};
    DrawTextInRect(cr, m_strText, m_font.get(), m_lf.bUnderline, textRect,
                   textformat::kSingleLine | textformat::kVCenter, color);
    if (HasFocus() && !m_strText.empty())
        DrawFocusRect(cr, ZelRect{textLeft, 1, width - 1, height - 1});
}

void CZelRadioButton::OnClicked()
{
    SetChecked(m_nType == kRadioButton ? true : !m_bChecked);
    Notify(kNotifyClicked);
}

}  // namespace tessaly
