#include "toolkit/gtk/WebKitBrowserView.h"

#include <vector>

#include "platform/TextEncoding.h"
#include "toolkit/gtk/GtkTypes.h"

namespace tessaly::toolkit {
namespace {

// Body reads run in a world of their own, so page scripts cannot tamper with what is read.
constexpr const char* kReadWorld = "tessaly-host";
constexpr const char* kBodyScript = "document.body ? document.body.outerHTML : null";
constexpr const char* kContextKey = "tessaly-private-context";

struct BodyRequest {
    std::weak_ptr<int> alive;
    BrowserView::BodyCallback done;
};

// One private, memory-only browsing context per process: nothing of the pages (cookies, caches,
// storage) is written to the user's disk. It is kept in the type data of WebKit's context class, so
// that it survives an unload and reload of this library instead of being made twice, and so that no
// exit handler ever releases it: WebKit objects may only be released on the UI thread, and a host
// without a toolkit exits on another one. (WebKit's own default context is released at exit, which is
// why it is never asked for here.)
WebKitWebContext* PrivateContext()
{
    const GQuark key = g_quark_from_string(kContextKey);
    auto* context = static_cast<WebKitWebContext*>(g_type_get_qdata(WEBKIT_TYPE_WEB_CONTEXT, key));
    if (!context) {
        context = webkit_web_context_new_ephemeral();
        webkit_web_context_set_cache_model(context, WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
        g_type_set_qdata(WEBKIT_TYPE_WEB_CONTEXT, key, context);
    }
    return context;
}

// Destroying a container destroys only its ordinary children. The view also parents internal
// widgets of its own, among them the text view it translates key bindings with, and it never
// destroys that one: left alone it outlives the view with its buffer, layout, styles and signal
// handlers, some 16 KiB for every window. Destroyed first, each internal child leaves through the
// view's own remove handler, which also forgets it.
void DestroyInternalChildren(GtkWidget* view)
{
    std::vector<GObjectPtr<GtkWidget>> children;
    gtk_container_forall(
        GTK_CONTAINER(view),
        [](GtkWidget* child, gpointer list) {
            static_cast<std::vector<GObjectPtr<GtkWidget>>*>(list)->push_back(ShareObject(child));
        },
        &children);
    for (const auto& child : children)
        gtk_widget_destroy(child.get());
}

}  // namespace

std::unique_ptr<BrowserView> BrowserView::Create(BrowserEvents& events, const std::string& externalScript)
{
    auto settings = AdoptObject(webkit_settings_new());
    // Software rendering: under virtual displays and without GPU drivers accelerated pages paint blank.
    webkit_settings_set_hardware_acceleration_policy(settings.get(), WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
    webkit_settings_set_enable_developer_extras(settings.get(), FALSE);
    webkit_settings_set_enable_javascript(settings.get(), TRUE);

    auto content = AdoptObject(webkit_user_content_manager_new());
    if (!externalScript.empty()) {
        WebKitUserScript* script =
            webkit_user_script_new(externalScript.c_str(), WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                   WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
        webkit_user_content_manager_add_script(content.get(), script);
        webkit_user_script_unref(script);
    }

    auto* widget = g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", PrivateContext(), "settings", settings.get(),
                                "user-content-manager", content.get(), nullptr);
    auto view = SinkObject(WEBKIT_WEB_VIEW(widget));
    if (!view)
        return nullptr;
    return std::make_unique<WebKitBrowserView>(events, std::move(view));
}

WebKitBrowserView::WebKitBrowserView(BrowserEvents& events, GObjectPtr<WebKitWebView> view)
    : m_events(events), m_view(std::move(view)), m_cancel(AdoptObject(g_cancellable_new()))
{
    g_signal_connect(m_view.get(), "load-changed", G_CALLBACK(&WebKitBrowserView::OnLoadChanged), this);
    g_signal_connect(m_view.get(), "load-failed", G_CALLBACK(&WebKitBrowserView::OnLoadFailed), this);
    g_signal_connect(m_view.get(), "context-menu", G_CALLBACK(&WebKitBrowserView::OnContextMenu), this);
    g_signal_connect(m_view.get(), "create", G_CALLBACK(&WebKitBrowserView::OnCreateWindow), this);
    g_signal_connect(m_view.get(), "web-process-terminated", G_CALLBACK(&WebKitBrowserView::OnWebProcessTerminated),
                     this);
}

WebKitBrowserView::~WebKitBrowserView()
{
    m_aliveToken.reset();
    g_signal_handlers_disconnect_by_data(m_view.get(), this);
    g_cancellable_cancel(m_cancel.get());
    webkit_web_view_stop_loading(m_view.get());
    DestroyInternalChildren(GTK_WIDGET(m_view.get()));
    // Destroying the widget takes it out of its container and lets its page process go; the last
    // reference is ours and goes right after, on this thread.
    gtk_widget_destroy(GTK_WIDGET(m_view.get()));
}

void WebKitBrowserView::Navigate(const std::string& uri) { webkit_web_view_load_uri(m_view.get(), uri.c_str()); }

void WebKitBrowserView::ReadBody(BodyCallback done)
{
    auto request = std::make_unique<BodyRequest>(BodyRequest{m_aliveToken, std::move(done)});
    // Ownership of the request passes to the completion callback, which always runs.
    webkit_web_view_evaluate_javascript(m_view.get(), kBodyScript, -1, kReadWorld, nullptr, m_cancel.get(),
                                        &WebKitBrowserView::OnBodyScriptDone, request.release());
}

void WebKitBrowserView::OnBodyScriptDone(GObject* source, GAsyncResult* result, gpointer data)
{
    std::unique_ptr<BodyRequest> request(static_cast<BodyRequest*>(data));
    GError* error = nullptr;
    const auto value = AdoptObject(webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error));
    const ErrorPtr failure(error);
    std::optional<std::u16string> markup;
    if (value && jsc_value_is_string(value.get())) {
        const CharPtr text(jsc_value_to_string(value.get()));
        markup = text ? platform::Utf8ToUtf16(text.get()) : std::u16string();
    }
    if (!request->alive.expired() && request->done)
        request->done(std::move(markup));
}

void WebKitBrowserView::Focus() { gtk_widget_grab_focus(GTK_WIDGET(m_view.get())); }

TabStop WebKitBrowserView::AsTabStop() const { return TabStopOf(GTK_WIDGET(m_view.get())); }

void WebKitBrowserView::OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self)
{
    if (event == WEBKIT_LOAD_FINISHED)
        static_cast<WebKitBrowserView*>(self)->m_events.OnLoadFinished();
}

gboolean WebKitBrowserView::OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar*, GError*, gpointer)
{
    // WebKit shows its own error page and then reports FINISHED, which counts as the completed load.
    return FALSE;
}

gboolean WebKitBrowserView::OnContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*, gpointer)
{
    return TRUE;  // handled: no menu is shown
}

GtkWidget* WebKitBrowserView::OnCreateWindow(WebKitWebView* view, WebKitNavigationAction* action, gpointer)
{
    // The window has no room for a second one: the page asked for goes here instead. A request
    // without an address (an empty window for a script to fill) opens nothing.
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    const gchar* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
    if (uri && *uri && g_strcmp0(uri, "about:blank") != 0)
        webkit_web_view_load_request(view, request);
    return nullptr;
}

void WebKitBrowserView::OnWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason, gpointer self)
{
    static_cast<WebKitBrowserView*>(self)->m_events.OnProcessEnded();
}

GtkWidget* BrowserWidget(BrowserView& browser)
{
    auto* view = dynamic_cast<WebKitBrowserView*>(&browser);
    return view ? view->Widget() : nullptr;
}

std::string FileUri(std::string_view absolutePath)
{
    const std::string path(absolutePath);
    const CharPtr uri(g_filename_to_uri(path.c_str(), nullptr, nullptr));
    return uri ? std::string(uri.get()) : std::string();
}

}  // namespace tessaly::toolkit
