#include "controls/CClickableWidget.h"

namespace tessaly {

void CClickableWidget::OnMouseMove(int x, int y)
{
    const bool inside = Contains(x, y);
    const bool wasSelected = m_tracker.Selected();
    m_tracker.Move(inside);
    if (inside != m_bHover || wasSelected != m_tracker.Selected()) {
        m_bHover = inside;
        Invalidate();
    }
}

void CClickableWidget::OnMouseLeave()
{
    m_bHover = false;
    m_tracker.Move(false);
    Invalidate();
}

void CClickableWidget::OnLButtonDown(int x, int y, bool)
{
    if (!IsEnabled())
        return;
    m_tracker.Press(Contains(x, y));
    Invalidate();
}

void CClickableWidget::OnLButtonUp(int x, int y)
{
    const bool clicked = m_tracker.Release(Contains(x, y));
    Invalidate();
    if (clicked && IsEnabled())
        OnClicked();
}

bool CClickableWidget::IsActivationKey(toolkit::Key key) const { return key == toolkit::Key::Space; }

bool CClickableWidget::OnKeyPress(toolkit::Key key)
{
    if (!IsActivationKey(key))
        return false;
    if (IsEnabled() && m_keys.Press(static_cast<unsigned>(key)))
        Invalidate();
    return true;
}

bool CClickableWidget::OnKeyRelease(toolkit::Key key)
{
    if (!IsActivationKey(key))
        return false;
    if (m_keys.Release(static_cast<unsigned>(key))) {
        Invalidate();
        if (IsEnabled())
            OnClicked();
    }
    return true;
}

void CClickableWidget::OnFocusLost()
{
    if (m_keys.Held()) {
        m_keys.Cancel();
        Invalidate();
    }
}

}  // namespace tessaly
