#pragma once
// The pointer behaviour that the skin's push buttons and check/radio buttons share: hover tracking and
// a press that counts as a click only when released inside the control. The derived control decides
// what a click does and how each state looks.
#include "controls/ButtonBehavior.h"
#include "controls/CSkinWidget.h"

namespace tessaly {

class CClickableWidget : public CSkinWidget {
public:
    void OnMouseMove(int x, int y) override;
    void OnMouseLeave() override;
    void OnLButtonDown(int x, int y, bool doubleClick) override;
    void OnLButtonUp(int x, int y) override;

    bool m_bHover = false;

protected:
    // Runs once for a press and release inside the enabled control.
    virtual void OnClicked() = 0;
    bool Pressed() const { return m_tracker.Selected(); }

private:
    ButtonTracker m_tracker;
};

}  // namespace tessaly
