#pragma once
// The skin's check box (m_nType 2) and radio button (m_nType 4), drawn from an image strip of eight
// equal cells over a snapshot of the parent's background:
//   cells 0-3: unchecked normal, hover, pressed, disabled;
//   cells 4-7: the same states checked.
// The cell is drawn at the left edge, centred vertically; the text follows 4 pixels to its right in
// m_crText (kNoColor draws black, grey when disabled). Clicking a check box toggles it; clicking a
// radio button checks it (unchecking the other radio buttons of its group is the owner's business,
// told by the kNotifyClicked command). With the focus, Space shows the pressed cell while held and
// toggles or checks on release, as a click does.
#include <string>
#include <string_view>

#include "config/WindowFont.h"
#include "controls/ButtonBehavior.h"
#include "controls/CClickableWidget.h"
#include "controls/SkinColor.h"
#include "toolkit/Font.h"
#include "toolkit/Image.h"

namespace tessaly {

class CZelRadioButton : public CClickableWidget {
public:
    static constexpr int kCheckBox = 2;
    static constexpr int kRadioButton = 4;
    static constexpr int kCellCount = 8;
    static constexpr int kTextGap = 4;

    explicit CZelRadioButton(int type = kCheckBox);

    // Copies the part of the parent's background under the control (by Rect()) into m_bmpBack, at the
    // background's scale and pixel for pixel.
    void CaptureBackground(const toolkit::Image& parentBackground);
    // Loads the strip at `scale` (the window's) with magenta made transparent; a file that cannot be
    // decoded leaves the previous strip as it was.
    void LoadImageStrip(std::u16string_view path, double scale = 1.0);
    // The font the text is drawn with (the default record until set): stored and made at once.
    void SetFont(const WindowFont& font);
    const WindowFont& Font() const { return m_lf; }

    bool IsChecked() const { return m_bChecked; }
    void SetChecked(bool checked);

    // The strip cell for a state.
    static int CellIndex(bool checked, bool disabled, bool pressed, bool hover);
    int CurrentCell() const;

    void Paint(toolkit::Canvas& canvas, int width, int height) override;
    toolkit::AccessibleRole Role() const override;
    std::u16string AccessibleText() const override { return m_strText; }
    std::optional<bool> AccessibleChecked() const override;

    toolkit::Image m_imageList;  // the whole strip, transparent where it was magenta
    int m_nType;
    int m_nImageWidth = 0;
    ZelColor m_crText = kNoColor;
    toolkit::Image m_bmpBack;
    std::u16string m_strText;

protected:
    void OnClicked() override;
    bool AcceptsFocus() const override { return true; }

private:
    bool m_bChecked = false;
    WindowFont m_lf;
    toolkit::Font m_font;  // always made from m_lf
};

}  // namespace tessaly
