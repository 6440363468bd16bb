#include "browser/CExplorer1.h"

#include <glib.h>

#include <cctype>
#include <vector>

#include "browser/CImpIDispatch.h"
#include "platform/TextEncoding.h"

namespace tessaly {

namespace {

// Body reads run in a world of their own, so page scripts cannot tamper with what is read.
constexpr const char* kReadWorld = "tessaly-host";
constexpr const char* kBodyScript = "document.body ? document.body.outerHTML : null";
constexpr const char* kContextKey = "tessaly-private-context";

struct BodyRequest {
    std::weak_ptr<int> alive;
    CExplorer1::BodyCallback done;
};

bool HasScheme(std::string_view text)
{
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(text[0])))
        return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

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

CExplorer1::~CExplorer1() { Destroy(); }

bool CExplorer1::Create()
{
    if (m_view)
        return true;
    auto settings = AdoptObject(webkit_settings_new());
    // Software rendering: under virtual displays and without GPU drivers accelerated pages paint blank.
    webkit_settings_set_hardware_acceleration_policy(settings.get(), WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
    webkit_settings_set_enable_developer_extras(settings.get(), FALSE);
    webkit_settings_set_enable_javascript(settings.get(), TRUE);

    auto content = AdoptObject(webkit_user_content_manager_new());
    if (ExternalDispatch() != nullptr) {
        const std::string source = CImpIDispatch::ExternalObjectScript();
        WebKitUserScript* script = webkit_user_script_new(source.c_str(), WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                                          WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
        webkit_user_content_manager_add_script(content.get(), script);
        webkit_user_script_unref(script);
    }

    auto* widget = g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", PrivateContext(), "settings", settings.get(),
                                "user-content-manager", content.get(), nullptr);
    m_view = SinkObject(WEBKIT_WEB_VIEW(widget));
    if (!m_view)
        return false;
    m_cancel = AdoptObject(g_cancellable_new());
    m_aliveToken = std::make_shared<int>(0);
    g_signal_connect(m_view.get(), "load-changed", G_CALLBACK(&CExplorer1::OnLoadChanged), this);
    g_signal_connect(m_view.get(), "load-failed", G_CALLBACK(&CExplorer1::OnLoadFailed), this);
    g_signal_connect(m_view.get(), "context-menu", G_CALLBACK(&CExplorer1::OnContextMenu), this);
    g_signal_connect(m_view.get(), "create", G_CALLBACK(&CExplorer1::OnCreateWindow), this);
    g_signal_connect(m_view.get(), "web-process-terminated", G_CALLBACK(&CExplorer1::OnWebProcessTerminated), this);
    return true;
}

GtkWidget* CExplorer1::Widget() const { return m_view ? GTK_WIDGET(m_view.get()) : nullptr; }

std::string CExplorer1::TargetToUri(std::u16string_view target)
{
    if (target.find(u'\0') != std::u16string_view::npos)
        return {};
    const std::string text = platform::Utf16ToUtf8(target);
    // A target that is not whole UTF-16 (an unpaired surrogate) names nothing.
    if (text.empty() || platform::Utf8ToUtf16(text) != target)
        return {};
    if (text.front() == '/') {
        const CharPtr uri(g_filename_to_uri(text.c_str(), nullptr, nullptr));
        return uri ? std::string(uri.get()) : std::string();
    }
    if (HasScheme(text))
        return text;
    return "http://" + text;
}

bool CExplorer1::Navigate(std::u16string_view target)
{
    if (!m_view)
        return false;
    const std::string uri = TargetToUri(target);
    if (uri.empty())
        return false;
    webkit_web_view_load_uri(m_view.get(), uri.c_str());
    return true;
}

void CExplorer1::GetBodyMarkup(BodyCallback done)
{
    if (!m_view) {
        return;
    }
    auto request = std::make_unique<BodyRequest>(BodyRequest{m_aliveToken, std::move(done)});
    // Ownership of the request passes to the completion callback, which always runs.
    webkit_web_view_evaluate_javascript(m_view.get(), kBodyScript, -1, kReadWorld, nullptr, m_cancel.get(),
                                        &CExplorer1::OnBodyScriptDone, request.release());
}

void CExplorer1::OnBodyScriptDone(GObject* source, GAsyncResult* result, gpointer data)
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

void CExplorer1::Focus()
{
    if (m_view)
        gtk_widget_grab_focus(GTK_WIDGET(m_view.get()));
}

void CExplorer1::Destroy()
{
    if (!m_view)
        return;
    m_aliveToken.reset();
    g_signal_handlers_disconnect_by_data(m_view.get(), this);
    g_cancellable_cancel(m_cancel.get());
    webkit_web_view_stop_loading(m_view.get());
    DestroyInternalChildren(GTK_WIDGET(m_view.get()));
    // Destroying the widget takes it out of its container and lets its page process go; the last
    // reference is ours and goes right after, on this thread.
    gtk_widget_destroy(GTK_WIDGET(m_view.get()));
    m_view.reset();
    m_cancel.reset();
}

void CExplorer1::OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self)
{
    auto* explorer = static_cast<CExplorer1*>(self);
    if (event == WEBKIT_LOAD_FINISHED && explorer->m_onDownloadComplete)
        explorer->m_onDownloadComplete();
}

gboolean CExplorer1::OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar*, GError*, gpointer)
{
    // WebKit shows its own error page and then reports FINISHED, which counts as the completed load.
    return FALSE;
}

gboolean CExplorer1::OnContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*, gpointer)
{
    return TRUE;  // handled: no menu is shown
}

GtkWidget* CExplorer1::OnCreateWindow(WebKitWebView* view, WebKitNavigationAction* action, gpointer)
{
    // The window has no room for a second one: the page asked for goes here instead. A request
    // without an address (an empty window for a script to fill) opens nothing.
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    const gchar* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
    if (uri && *uri && g_strcmp0(uri, "about:blank") != 0)
        webkit_web_view_load_request(view, request);
    return nullptr;
}

void CExplorer1::OnWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason, gpointer self)
{
    auto* explorer = static_cast<CExplorer1*>(self);
    if (explorer->m_onTerminated)
        explorer->m_onTerminated();
}

}  // namespace tessaly
