#include "controls/CSkinWidget.h"

namespace tessaly {

// The view goes first, so nothing calls back into a control that is being destroyed.
CSkinWidget::~CSkinWidget() { m_view.reset(); }

bool CSkinWidget::Create(toolkit::ControlParent* parent, const ZelRect& rect, int id)
{
    if (m_view)
        return false;
    m_id = id;
    m_rect = rect;
    if (!parent)
        return false;
    m_view = toolkit::ControlView::Create(*parent, *this, rect, {TakesMouse(), AcceptsFocus()}, m_enabled);
    if (!m_view)
        return false;
    OnViewCreated();
    return true;
}

void CSkinWidget::Move(const ZelRect& rect)
{
    const bool resized = rect.Width() != m_rect.Width() || rect.Height() != m_rect.Height();
    m_rect = rect;
    if (m_view)
        m_view->Move(rect);
    if (resized)
        OnSize();
}

void CSkinWidget::SetEnabled(bool enabled)
{
    m_enabled = enabled;
    if (m_view)
        m_view->SetEnabled(enabled);
    Invalidate();
}

bool CSkinWidget::HasFocus() const { return m_view && m_view->HasFocus(); }

void CSkinWidget::Invalidate()
{
    if (m_view)
        m_view->Invalidate();
}

void CSkinWidget::Notify(int notification)
{
    if (m_sink)
        m_sink(m_id, notification);
}

}  // namespace tessaly
