#pragma once
// The skin's text control: its text drawn transparently over a snapshot of the parent's background,
// in its own font and colour, with an optional normal and hover image, an optional cursor, and
// optionally a click that drags the parent window. The owner sets the public members directly (the
// font through SetFont, which keeps the font in use matching its description) and calls Invalidate()
// after any change.
//
// Hover: state 0 or 1 (m_nHover). A mouse move switches to 1 when there is a hover image; leaving
// switches back to 0 when there is a normal image; a click resets it to 0 without repainting.
#include <array>
#include <string>

#include "config/WindowFont.h"
#include "controls/CSkinWidget.h"
#include "controls/SkinColor.h"
#include "toolkit/Cursor.h"
#include "toolkit/Font.h"
#include "toolkit/Image.h"

namespace tessaly {

class CLabel : public CSkinWidget {
public:
    // Word break with vertical centring; centring takes effect only on single-line formats.
    static constexpr std::uint32_t kDefaultFormat = 0x14;

    CLabel();

    // Copies the part of the parent's background that lies under the label (by Rect()) into
    // m_bmpBack, at the background's scale and pixel for pixel, so the label shows exactly what the
    // parent shows around it; where the background does not reach, the snapshot shows the button face.
    void CaptureBackground(const toolkit::Image& parentBackground);
    // Copies m_bmpBack to 0, 0.
    void DrawBackground(toolkit::Canvas& canvas) const;
    // The font the label draws with: stored and made at once.
    void SetFont(const WindowFont& font);
    const WindowFont& Font() const { return m_lf; }
    // Loads a cursor file (with its hot spot) as m_hCursor; a file that cannot be loaded leaves
    // none, so the default cursor shows.
    void LoadCursorFile(const std::u16string& path);
    // The tooltip shown over the label (empty removes it).
    void SetToolTip(const std::u16string& text);
    // Whether a click drags the parent window ("TRUE" in any letter case).
    bool DragsParent() const;

    void Paint(toolkit::Canvas& canvas, int width, int height) override;
    void OnMouseMove(int x, int y) override;
    void OnMouseLeave() override;
    void OnLButtonDown(int x, int y, bool doubleClick) override;
    toolkit::AccessibleRole Role() const override { return toolkit::AccessibleRole::Label; }
    std::u16string AccessibleText() const override { return m_strText; }

    toolkit::Image m_bmpBack;
    bool m_bAlignRight = false;
    std::uint32_t m_nFormat = kDefaultFormat;
    toolkit::Cursor m_hCursor;
    ZelColor m_crText = kWindowText;
    std::u16string m_strDragParent = u"FALSE";
    std::u16string m_strText;
    std::array<toolkit::Image, 2> m_pImage;  // 0 normal, 1 hover
    std::array<std::pair<int, int>, 2> m_ptImage{};
    int m_nHover = 0;

protected:
    void OnViewCreated() override;

private:
    WindowFont m_lf;
    toolkit::Font m_font;  // made from m_lf
};

}  // namespace tessaly
