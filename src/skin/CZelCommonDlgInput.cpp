// Input routing: commands from the controls, the skin's actions, dragging by the caption band, Tab
// order, and the window's key and button events.
#include "skin/CZelCommonDlg.h"

#include "controls/CSkinWidget.h"
#include "skin/TabOrder.h"
#include "support/WideText.h"

namespace tessaly {

bool CZelCommonDlg::OnCommand(int id, int /*notification*/)
{
    auto buttons = m_config.ButtonItems();
    const long long buttonIndex = static_cast<long long>(id) - IDC_BUTTON_FIRST;
    if (buttonIndex >= 0 && buttonIndex < static_cast<long long>(buttons.size())) {
        DynamicItem& item = buttons[static_cast<std::size_t>(buttonIndex)];
        if (OnItemCommand(ITEM_BUTTON, &item))
            RunAction(item.strID);
        return true;
    }
    auto labels = m_config.LabelItems();
    const long long labelIndex = static_cast<long long>(id) - IDC_LABEL_FIRST;
    if (labelIndex >= 0 && labelIndex < static_cast<long long>(labels.size())) {
        OnItemCommand(ITEM_LABEL, &labels[static_cast<std::size_t>(labelIndex)]);
        return true;
    }
    return false;
}

void CZelCommonDlg::RunAction(std::u16string_view action)
{
    if (EqualsNoCase(action, u"CLOSE") || EqualsNoCase(action, u"IDCANCEL"))
        OnCancel();
    else if (EqualsNoCase(action, u"IDOK"))
        OnOK();
    else if (EqualsNoCase(action, u"IDYES"))
        EndDialog(IDYES);
    else if (EqualsNoCase(action, u"IDNO"))
        EndDialog(IDNO);
    else if (EqualsNoCase(action, u"MINIMIZE"))
        OnMinimize();
}

void CZelCommonDlg::OnMinimize()
{
    if (m_window)
        m_window->Minimize();
}

bool CZelCommonDlg::ShouldDragAt(int y) const
{
    return !m_bChildStyle && y <= m_config.GetWindowInt(u"CaptionHeight");
}

void CZelCommonDlg::SetTabOrder(const std::vector<toolkit::TabStop>& stops)
{
    m_arrTabOrder.clear();
    for (const toolkit::TabStop& stop : stops) {
        if (stop)
            m_arrTabOrder.push_back(stop);
    }
}

void CZelCommonDlg::MoveToNextTabItem()
{
    if (m_arrTabOrder.empty() || !m_window)
        return;
    const std::size_t next = NextTabIndex(m_arrTabOrder.size(), m_window->FocusedStop(m_arrTabOrder));
    m_window->Focus(m_arrTabOrder[next]);
}

bool CZelCommonDlg::OnTabKey()
{
    if (m_arrTabOrder.empty())
        return false;
    MoveToNextTabItem();
    return true;
}

bool CZelCommonDlg::OnUnusedKey(toolkit::Key key)
{
    if (key != toolkit::Key::Escape)
        return false;
    OnCancel();
    return true;
}

}  // namespace tessaly
