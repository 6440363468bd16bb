#pragma once
// The browser in GTK: a WebKit view in a private, memory-only browsing context.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <memory>

#include "toolkit/BrowserView.h"
#include "toolkit/gtk/GuiHandles.h"

namespace tessaly::toolkit {

class WebKitBrowserView : public BrowserView {
public:
    WebKitBrowserView(BrowserEvents& events, GObjectPtr<WebKitWebView> view);
    ~WebKitBrowserView() override;
    WebKitBrowserView(const WebKitBrowserView&) = delete;
    WebKitBrowserView& operator=(const WebKitBrowserView&) = delete;

    void Navigate(const std::string& uri) override;
    void ReadBody(BodyCallback done) override;
    void Focus() override;
    TabStop AsTabStop() const override;

    GtkWidget* Widget() const { return GTK_WIDGET(m_view.get()); }

private:
    static void OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self);
    static gboolean OnLoadFailed(WebKitWebView* view, WebKitLoadEvent event, gchar* uri, GError* error, gpointer self);
    static gboolean OnContextMenu(WebKitWebView* view, WebKitContextMenu* menu, GdkEvent* event,
                                  WebKitHitTestResult* hit, gpointer self);
    static GtkWidget* OnCreateWindow(WebKitWebView* view, WebKitNavigationAction* action, gpointer self);
    static void OnWebProcessTerminated(WebKitWebView* view, WebKitWebProcessTerminationReason reason, gpointer self);
    static void OnBodyScriptDone(GObject* source, GAsyncResult* result, gpointer request);

    BrowserEvents& m_events;
    GObjectPtr<WebKitWebView> m_view;
    GObjectPtr<GCancellable> m_cancel;
    // Pending body reads hold a weak copy; it expires when the view goes.
    std::shared_ptr<int> m_aliveToken = std::make_shared<int>(0);
};

// The view's widget; null for a view of another toolkit.
GtkWidget* BrowserWidget(BrowserView& browser);

}  // namespace tessaly::toolkit
