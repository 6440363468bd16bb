// The dialog's life: making and destroying the window, the modal loop and its end, the window's
// place on the screen. Applying the skin, input routing and cross-thread posting have files of their
// own (CZelCommonDlgSkin.cpp, CZelCommonDlgInput.cpp, CZelCommonDlgPost.cpp).
#include "skin/CZelCommonDlg.h"

#include "controls/CSkinWidget.h"
#include "platform/WindowSystem.h"
#include "skin/DialogTemplate.h"
#include "skin/SheetContainer.h"

namespace tessaly {

CZelCommonDlg::CZelCommonDlg() : m_anchor(std::make_shared<CZelCommonDlg*>(this)) {}

CZelCommonDlg::~CZelCommonDlg()
{
    m_anchor.reset();
    ReleaseControls();
    DestroyWindow();
}

bool CZelCommonDlg::Create()
{
    if (m_window)
        return true;
    if (!EnsureUserInterface())
        return false;
    DialogTemplate parts = LoadDialogTemplate();
    if (!parts.window)
        return false;
    m_window = parts.window;
    m_client = parts.client;
    m_slot1000 = parts.slot1000;
    gtk_widget_add_events(m_window, GDK_BUTTON_PRESS_MASK | GDK_KEY_PRESS_MASK);
    g_signal_connect(m_client, "draw", G_CALLBACK(DrawClientThunk), this);
    g_signal_connect(m_window, "delete-event", G_CALLBACK(DeleteThunk), this);
    g_signal_connect(m_window, "button-press-event", G_CALLBACK(ButtonPressThunk), this);
    g_signal_connect(m_window, "key-press-event", G_CALLBACK(KeyPressThunk), this);
    // Escape reaches the dialog only when the focused widget (a web page, say) did not use it.
    g_signal_connect_after(m_window, "key-press-event", G_CALLBACK(UnusedKeyThunk), this);
    g_signal_connect(m_window, "destroy", G_CALLBACK(DestroyThunk), this);
    SetSheetSize(m_client, m_nClientWidth, m_nClientHeight);
    gtk_widget_realize(m_window);
    // A fixed-size modal frame: the window manager offers moving and closing, nothing else.
    gdk_window_set_functions(gtk_widget_get_window(m_window),
                             static_cast<GdkWMFunction>(GDK_FUNC_MOVE | GDK_FUNC_CLOSE));
    gdk_window_set_decorations(gtk_widget_get_window(m_window),
                               static_cast<GdkWMDecoration>(GDK_DECOR_BORDER | GDK_DECOR_TITLE | GDK_DECOR_MENU));
    m_nResult = -1;
    m_bEnded = m_bDestroyed = false;
    OnInitDialog();
    return true;
}

int CZelCommonDlg::DoModal()
{
    if (!Create())
        return -1;
    if (!m_bEnded && !m_bDestroyed) {
        gtk_widget_show(m_window);
        gtk_window_present(GTK_WINDOW(m_window));
        m_loop.reset(g_main_loop_new(nullptr, FALSE));
        g_main_loop_run(m_loop.get());
        m_loop.reset();
    }
    DestroyWindow();
    return m_nResult;
}

void CZelCommonDlg::DestroyWindow()
{
    if (!m_window)
        return;
    OnDestroy();
    const GObjectPtr<GtkWidget> window(m_window);  // the template's reference, dropped last
    g_signal_handlers_disconnect_by_data(window.get(), this);
    if (m_client)
        g_signal_handlers_disconnect_by_data(m_client, this);
    m_window = m_client = m_slot1000 = nullptr;
    m_arrTabOrder.clear();  // the listed windows go with the window
    gtk_widget_destroy(window.get());
}

void CZelCommonDlg::EndDialog(int code)
{
    if (m_bEnded)
        return;  // the first ending event decides the result
    m_nResult = code;
    m_bEnded = true;
    if (m_window)
        gtk_widget_hide(m_window);
    if (m_loop)
        g_main_loop_quit(m_loop.get());
}

// Controls go before the window that holds their widgets.

void CZelCommonDlg::ReleaseControls()
{
    for (auto items : {m_config.LabelItems(), m_config.PictureItems(), m_config.ButtonItems()})
        for (DynamicItem& item : items) {
            item.pCtrl.reset();
            item.hGdiObj.reset();
        }
}

GtkWidget* CZelCommonDlg::TemplateControl(int id) const
{
    return id == kTemplateId ? m_slot1000 : nullptr;
}

unsigned long CZelCommonDlg::XWindowId() const
{
    return platform::NativeWindowId(m_window);
}

void CZelCommonDlg::CenterOnScreen()
{
    GdkDisplay* display = gtk_widget_get_display(m_window);
    GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
    if (!monitor && display)
        monitor = gdk_display_get_monitor(display, 0);
    if (!monitor)
        return;
    GdkRectangle area{};
    gdk_monitor_get_workarea(monitor, &area);
    gtk_window_move(GTK_WINDOW(m_window), area.x + (area.width - m_nClientWidth) / 2,
                    area.y + (area.height - m_nClientHeight) / 2);
}

bool EnsureUserInterface()
{
    std::string whyNot;
    return platform::StartToolkit(whyNot);
}

gboolean CZelCommonDlg::DeleteThunk(GtkWidget*, GdkEvent*, gpointer self)
{
    static_cast<CZelCommonDlg*>(self)->OnCancel();
    return TRUE;  // the window stays until the dialog ends
}

void CZelCommonDlg::DestroyThunk(GtkWidget*, gpointer self)
{
    // Someone destroyed the window under us: the modal loop has nothing left to run.
    auto* dialog = static_cast<CZelCommonDlg*>(self);
    dialog->m_bDestroyed = true;
    if (dialog->m_loop)
        g_main_loop_quit(dialog->m_loop.get());
}

}  // namespace tessaly
