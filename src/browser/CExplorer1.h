#pragma once
// The embedded browser: a WebKit view that navigates to a file path or an address, reports every
// completed main-frame load, hands out the markup of the page body, shows no context menu, and gives
// pages the external object. A page's request for a new window (a link with target="_blank",
// window.open) loads in this same view, as a navigation like any other. Every call, the last release included, belongs on the thread that
// called Create.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/toolkit/GObjectPtr.h"

namespace tessaly {

class CExplorer1 {
public:
    using BodyCallback = std::function<void(std::optional<std::u16string> markup)>;

    CExplorer1() = default;
    ~CExplorer1();
    CExplorer1(const CExplorer1&) = delete;
    CExplorer1& operator=(const CExplorer1&) = delete;

    // Makes the view (once). Needs an initialised GTK. False when the view could not be made.
    bool Create();

    // The view as a widget for the dialog to place, or nullptr before Create / after Destroy.
    GtkWidget* Widget() const;

    // Starts loading `target`: an absolute file path, or an address (a bare host name gets http://).
    // False for empty or unusable text, or when there is no view.
    bool Navigate(std::u16string_view target);

    // The URI that Navigate would load for `target`; empty when it cannot be loaded.
    static std::string TargetToUri(std::u16string_view target);

    // Reads document.body.outerHTML of the current page. `done` runs later on this thread with the
    // markup, or with nothing when the page has no body or the call failed; it never runs after
    // Destroy.
    void GetBodyMarkup(BodyCallback done);

    // Runs after every completed main-frame load, failed loads included.
    void SetDownloadCompleteHandler(std::function<void()> handler) { m_onDownloadComplete = std::move(handler); }

    // Runs when the page's helper process has ended unexpectedly.
    void SetProcessTerminatedHandler(std::function<void()> handler) { m_onTerminated = std::move(handler); }

    // Gives the view the keyboard focus.
    void Focus();

    // Stops loading, drops pending body reads and releases the view (idempotent).
    void Destroy();

private:
    static void OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self);
    static gboolean OnLoadFailed(WebKitWebView* view, WebKitLoadEvent event, gchar* uri, GError* error, gpointer self);
    static gboolean OnContextMenu(WebKitWebView* view, WebKitContextMenu* menu, GdkEvent* event,
                                  WebKitHitTestResult* hit, gpointer self);
    static GtkWidget* OnCreateWindow(WebKitWebView* view, WebKitNavigationAction* action, gpointer self);
    static void OnWebProcessTerminated(WebKitWebView* view, WebKitWebProcessTerminationReason reason, gpointer self);
    static void OnBodyScriptDone(GObject* source, GAsyncResult* result, gpointer request);

    GObjectPtr<WebKitWebView> m_view;
    GObjectPtr<GCancellable> m_cancel;
    // Pending body reads hold a weak copy; it expires when the view goes.
    std::shared_ptr<int> m_aliveToken;
    std::function<void()> m_onDownloadComplete;
    std::function<void()> m_onTerminated;
};

}  // namespace tessaly
