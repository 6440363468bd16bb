#include "controls/CClickableWidget.h"

#include <gdk/gdkkeysyms.h>

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

bool CClickableWidget::IsActivationKey(unsigned keyval) const { return keyval == GDK_KEY_space; }

bool CClickableWidget::OnKeyPress(unsigned keyval)
{
    if (!IsActivationKey(keyval))
        return false;
    if (IsEnabled() && m_keys.Press(keyval))
        Invalidate();
    return true;
}

bool CClickableWidget::OnKeyRelease(unsigned keyval)
{
    if (!IsActivationKey(keyval))
        return false;
    if (m_keys.Release(keyval)) {
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
