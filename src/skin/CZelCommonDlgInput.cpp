// Input routing: commands from the controls, the skin's actions, dragging by the caption band, Tab
// order, and the window's key and button events.
#include "skin/CZelCommonDlg.h"

#include <gdk/gdkkeysyms.h>

#include <algorithm>

#include "controls/CSkinWidget.h"
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
        gtk_window_iconify(GTK_WINDOW(m_window));
}

bool CZelCommonDlg::ShouldDragAt(int y) const
{
    return !m_bChildStyle && y <= m_config.GetWindowInt(u"CaptionHeight");
}

void CZelCommonDlg::SetTabOrder(const std::vector<GtkWidget*>& windows)
{
    m_arrTabOrder.clear();
    for (GtkWidget* window : windows) {
        if (window)
            m_arrTabOrder.push_back(ShareObject(window));
    }
}

void CZelCommonDlg::MoveToNextTabItem()
{
    if (m_arrTabOrder.empty() || !m_window)
        return;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(m_window));
    // The focus may sit inside a listed window (for example in a browser's own widgets).
    auto current = std::find_if(m_arrTabOrder.begin(), m_arrTabOrder.end(), [focus](const GObjectPtr<GtkWidget>& w) {
        return focus && (w.get() == focus || gtk_widget_is_ancestor(focus, w.get()));
    });
    GtkWidget* next = m_arrTabOrder.front().get();
    if (current != m_arrTabOrder.end() && current + 1 != m_arrTabOrder.end())
        next = (current + 1)->get();
    if (gtk_widget_get_can_focus(next))
        gtk_widget_grab_focus(next);
    else
        gtk_widget_child_focus(next, GTK_DIR_TAB_FORWARD);
}

gboolean CZelCommonDlg::ButtonPressThunk(GtkWidget* widget, GdkEventButton* event, gpointer self)
{
    auto* dialog = static_cast<CZelCommonDlg*>(self);
    if (event->type != GDK_BUTTON_PRESS || event->button != GDK_BUTTON_PRIMARY)
        return FALSE;
    // Clicks bubbling up from child windows carry their own coordinates; use the root position.
    gint originX = 0, originY = 0;
    gdk_window_get_origin(gtk_widget_get_window(widget), &originX, &originY);
    const int y = static_cast<int>(event->y_root) - originY;
    if (!dialog->ShouldDragAt(y))
        return FALSE;
    gtk_window_begin_move_drag(GTK_WINDOW(widget), static_cast<gint>(event->button), static_cast<gint>(event->x_root),
                               static_cast<gint>(event->y_root), event->time);
    return TRUE;
}

gboolean CZelCommonDlg::KeyPressThunk(GtkWidget*, GdkEventKey* event, gpointer self)
{
    auto* dialog = static_cast<CZelCommonDlg*>(self);
    const bool tab = event->keyval == GDK_KEY_Tab || event->keyval == GDK_KEY_ISO_Left_Tab ||
                     event->keyval == GDK_KEY_KP_Tab;
    if (!tab || dialog->m_arrTabOrder.empty())
        return FALSE;
    dialog->MoveToNextTabItem();
    return TRUE;
}

gboolean CZelCommonDlg::UnusedKeyThunk(GtkWidget*, GdkEventKey* event, gpointer self)
{
    if (event->keyval != GDK_KEY_Escape)
        return FALSE;
    static_cast<CZelCommonDlg*>(self)->OnCancel();
    return TRUE;
}

}  // namespace tessaly
