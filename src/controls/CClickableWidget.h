#pragma once
// The pointer and keyboard behaviour that the skin's push buttons and check/radio buttons share: hover
// tracking, a press that counts as a click only when released inside the control, and an activation
// key that holds the control down while pressed and clicks once on release. The derived control
// decides what a click does, which keys activate it and how each state looks.
#include "controls/ButtonBehavior.h"
#include "controls/CSkinWidget.h"

namespace tessaly {

class CClickableWidget : public CSkinWidget {
public:
    void OnMouseMove(int x, int y) override;
    void OnMouseLeave() override;
    void OnLButtonDown(int x, int y, bool doubleClick) override;
    void OnLButtonUp(int x, int y) override;
    bool OnKeyPress(toolkit::Key key) override;
    bool OnKeyRelease(toolkit::Key key) override;
    void OnFocusLost() override;

    bool m_bHover = false;

protected:
    // Runs once for a press and release inside the enabled control.
    virtual void OnClicked() = 0;
    // Space by default.
    virtual bool IsActivationKey(toolkit::Key key) const;
    // Held by the pointer inside the control, or by an activation key.
    bool Pressed() const { return m_tracker.Selected() || m_keys.Held(); }

private:
    ButtonTracker m_tracker;
    KeyPressTracker m_keys;
};

}  // namespace tessaly
