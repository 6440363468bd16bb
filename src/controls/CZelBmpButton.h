#pragma once
// The skin's push button. Its face is one of four images (normal, hover, pressed, disabled), each
// stretched to the button, with an optional icon and text on top and an optional focus mark 3 pixels
// inside the edges. Composed faces are cached per state at the button's size and dropped when the
// button is resized or its images are reloaded. The state shown is decided by ChooseButtonFace from
// the enabled state, m_bChecked, the pressed tracker and m_bHover; drawing only reads it. Faces are
// composed at the scale of the canvas the button is painted on (and made again when that changes), so
// text, icon and focus mark are drawn at the device resolution.
// A click (press and release inside, or Space/Return pressed and released with the focus) sends
// kNotifyClicked; while the key is held the button shows its pressed face.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "config/WindowFont.h"
#include "controls/ButtonBehavior.h"
#include "controls/CClickableWidget.h"
#include "controls/SkinColor.h"
#include "toolkit/Font.h"
#include "toolkit/Image.h"

namespace tessaly {

class CZelBmpButton : public CClickableWidget {
public:
    // Centred single line (the word-break bit has no effect on one line).
    static constexpr std::uint32_t kDefaultTextFormat = 0x35;

    // Drops every image and cached face, then loads the four state images; an image that cannot be
    // loaded stays empty and its state falls back to the normal image. Without a normal path at
    // all (nullopt) nothing is loaded and the result is false.
    bool LoadStateImages(std::optional<std::u16string_view> normal, std::optional<std::u16string_view> hover,
                         std::optional<std::u16string_view> pressed, std::optional<std::u16string_view> disabled);
    // Loads the icon; an undecodable file leaves none. Always true.
    bool LoadIconImage(std::u16string_view path);
    // The font the text is drawn with: stored and made at once. Until the first call the text is
    // drawn in the toolkit's default font.
    void SetFont(const WindowFont& font);
    const WindowFont& Font() const { return m_lf; }
    const toolkit::Font& TextFont() const { return m_font; }
    // Sets only the face name of the font record (cut to 31 characters); with makeFont the font is
    // made again from the record, without it the text keeps the font made last.
    void SetFaceName(std::u16string_view face, bool makeFont);
    // Renders the cached face of `state` at width x height (at `scale`) from its image, or the normal
    // image when the state has none; without either the face stays empty.
    void BuildStateBitmap(int state, int width, int height, double scale = 1.0);
    // Draws icon and text onto a composed face of width x height.
    void DrawContent(toolkit::Canvas& canvas, int width, int height, ZelColor textColor) const;
    // The face the button shows now.
    ButtonFace CurrentFace() const;
    // The cached face of a state (empty until built); for inspection.
    const toolkit::Image& CachedFace(int state) const { return m_bmpState[state]; }

    void Paint(toolkit::Canvas& canvas, int width, int height) override;
    toolkit::AccessibleRole Role() const override { return toolkit::AccessibleRole::PushButton; }
    std::u16string AccessibleText() const override { return m_strText; }

    std::array<toolkit::Image, 4> m_pImage;
    std::array<toolkit::Image, 4> m_bmpState;
    toolkit::Image m_bmpBack;  // optional background under every state image
    toolkit::Image m_pIcon;
    std::u16string m_strText;
    bool m_bChecked = false;
    ZelColor m_crText = 0;
    ZelColor m_crDisabledText = kGrayText;
    std::uint32_t m_nTextFormat = 0;
    bool m_bDrawFocus = false;
    // Set by tests that draw without a view: whether to draw as if focused.
    bool m_bFocusForPaint = false;

protected:
    void OnClicked() override;
    bool IsActivationKey(toolkit::Key key) const override;
    void OnSize() override { DropFaces(); }
    bool AcceptsFocus() const override { return true; }

private:
    void DropFaces();

    WindowFont m_lf;
    toolkit::Font m_font;  // made from m_lf by SetFont (or SetFaceName with makeFont)
    int m_faceWidth = 0;
    int m_faceHeight = 0;
    double m_faceScale = 1.0;
};

}  // namespace tessaly
