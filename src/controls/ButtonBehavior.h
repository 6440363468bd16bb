#pragma once
// The decisions of the skin's buttons, kept apart from drawing so they can be checked without a
// display: which face a button shows, where its icon and text go, and when a press becomes a click.
#include "config/ConfigTypes.h"

namespace tessaly {

// Face indexes, also the order of a button's state images.
enum ButtonFaceIndex : int { kFaceNormal = 0, kFaceHover = 1, kFacePressed = 2, kFaceDisabled = 3 };

struct ButtonFaceInput {
    bool disabled = false;
    bool checked = false;   // latched down
    bool selected = false;  // being pressed right now
    bool hover = false;
};

struct ButtonFace {
    int index = kFaceNormal;
    ZelColor textColor = 0;
};

// Disabled wins over pressed or checked, which win over hover; the disabled face uses the disabled
// text colour.
ButtonFace ChooseButtonFace(const ButtonFaceInput& input, ZelColor textColor, ZelColor disabledTextColor);

struct ButtonContentLayout {
    int iconX = 0;
    int iconY = 0;
    ZelRect textRect;
};

// Positions of icon and text in a client area width x height. With both, the pair is centred: the
// icon at (width - textWidth - iconWidth - 2) / 2, the text 2 pixels right of it, textWidth wide
// and centred vertically. An icon alone is centred; text alone gets the whole client area.
ButtonContentLayout LayoutButtonContent(int width, int height, bool hasIcon, int iconWidth, int iconHeight,
                                        bool hasText, int textWidth, int textHeight);

// Press-and-release tracking: a click is a press inside followed by a release inside; while the
// pointer is held, the button shows pressed only while the pointer is inside.
class ButtonTracker {
public:
    void Press(bool inside) { m_armed = inside; m_inside = inside; }
    void Move(bool inside) { m_inside = inside; }
    // True when the release completes a click.
    bool Release(bool inside)
    {
        const bool click = m_armed && inside;
        m_armed = false;
        m_inside = inside;
        return click;
    }
    void Cancel() { m_armed = false; }
    bool Selected() const { return m_armed && m_inside; }

private:
    bool m_armed = false;
    bool m_inside = false;
};

// A button pressed from the keyboard: the first press of an activation key holds the button down, a
// held key's repeated presses and other keys change nothing, and only the release of the key that
// holds it completes the click, once. Losing the focus lets go without a click.
class KeyPressTracker {
public:
    // True when the press holds the button down (it was not held yet).
    bool Press(unsigned key)
    {
        if (m_key != 0 || key == 0)
            return false;
        m_key = key;
        return true;
    }
    // True when the release completes a click.
    bool Release(unsigned key)
    {
        if (m_key == 0 || key != m_key)
            return false;
        m_key = 0;
        return true;
    }
    void Cancel() { m_key = 0; }
    bool Held() const { return m_key != 0; }

private:
    unsigned m_key = 0;
};

}  // namespace tessaly
