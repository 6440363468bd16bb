#pragma once
// The skinned dialog's window in GTK: a toplevel built from the template (DialogTemplate), its client
// area a sheet (SheetContainer), the modal run a nested main loop on the caller's thread.
#include <gtk/gtk.h>

#include "platform/HostMessageFilter.h"
#include "toolkit/DialogWindow.h"
#include "toolkit/gtk/GtkTypes.h"

namespace tessaly::toolkit {

class GtkDialogWindow : public DialogWindow {
public:
    GtkDialogWindow(DialogEvents& events, GtkWidget* window, GtkWidget* client, GtkWidget* slot1000);
    ~GtkDialogWindow() override;
    GtkDialogWindow(const GtkDialogWindow&) = delete;
    GtkDialogWindow& operator=(const GtkDialogWindow&) = delete;

    ControlParent& Client() override { return m_parent; }
    double ScaleFactor() const override;
    void SetTitle(std::u16string_view title) override;
    void SetIcon(const Image& icon) override;
    void SetClientSize(int width, int height) override;
    void SetDialogFont(const WindowFont& font) override;
    std::optional<ZelRect> TemplateControlRect(int id) const override;
    bool PlaceTemplateControl(int id, const ZelRect& rect) override;
    bool HostBrowser(int id, BrowserView& browser) override;
    void RunModal() override;
    void EndModal() override;
    void Minimize() override;
    void Redraw() override;
    std::optional<std::size_t> FocusedStop(const std::vector<TabStop>& stops) const override;
    void Focus(const TabStop& stop) override;
    std::uint32_t NativeId() const override;
    bool ListenForHostMessages(HostMessageHandler handler) override;
    void StopHostMessages() override;

    GtkWidget* Window() const { return m_window; }
    GtkWidget* ClientWidget() const { return m_client; }
    // The template's control `id` (1000, a vertical box); null for other ids.
    GtkWidget* TemplateWidget(int id) const;

private:
    static gboolean DrawClientThunk(GtkWidget* widget, cairo_t* cr, gpointer self);
    static gboolean DeleteThunk(GtkWidget* widget, GdkEvent* event, gpointer self);
    static gboolean ButtonPressThunk(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean KeyPressThunk(GtkWidget* widget, GdkEventKey* event, gpointer self);
    static gboolean UnusedKeyThunk(GtkWidget* widget, GdkEventKey* event, gpointer self);
    static gboolean MapThunk(GtkWidget* widget, GdkEvent* event, gpointer self);
    static void DestroyThunk(GtkWidget* widget, gpointer self);
    static void ScaleThunk(GtkWidget* widget, GParamSpec* property, gpointer self);
    void CenterOnScreen(int width, int height);
    void ApplyIcon();

    DialogEvents& m_events;
    GtkWidget* m_window;    // our reference to the toplevel
    GtkWidget* m_client;    // the sheet (owned by the window)
    GtkWidget* m_slot1000;  // the browser's slot (owned by the window)
    ControlParent m_parent;
    GObjectPtr<GtkCssProvider> m_fontCss;
    Image m_icon;
    MainLoopPtr m_loop;  // the modal loop while RunModal runs
    bool m_destroyed = false;
    platform::HostMessageFilter m_hostMessages;
};

}  // namespace tessaly::toolkit
