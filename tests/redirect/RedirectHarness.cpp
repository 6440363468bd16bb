#include "redirect/RedirectHarness.h"

#include <httplib.h>

#include <webkit2/webkit2.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

#include "common/ProcessCensus.h"
#include "platform/ModulePaths.h"
#include "redirect/RedirectEntry.h"
#include "platform/WindowSystem.h"

namespace tessaly::test {

namespace fs = std::filesystem;

PageServer::PageServer() : m_server(std::make_unique<httplib::Server>())
{
    m_server->Post("/exchange", [this](const httplib::Request&, httplib::Response& res) {
        ++m_exchanges;
        std::unique_lock lock(m_mutex);
        m_released.wait(lock, [this] { return !m_hold || m_stopping; });
        res.set_content(m_reply, "text/plain");
    });
    m_server->Get(R"(/p/(.+))", [this](const httplib::Request& req, httplib::Response& res) {
        std::lock_guard lock(m_mutex);
        const std::string name = req.matches[1];
        ++m_pageHits[name];
        auto it = m_pages.find(name);
        if (it == m_pages.end()) {
            res.status = 404;
            return;
        }
        res.set_content(it->second, "text/html; charset=utf-8");
    });
    m_port = m_server->bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    WaitUntil([this] { return m_server->is_running(); }, std::chrono::seconds(30));
}

PageServer::~PageServer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_released.notify_all();
    m_server->stop();
    m_thread.join();
}

std::string PageServer::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void PageServer::SetReply(std::string reply)
{
    std::lock_guard lock(m_mutex);
    m_reply = std::move(reply);
}

void PageServer::HoldExchange(bool hold)
{
    {
        std::lock_guard lock(m_mutex);
        m_hold = hold;
    }
    m_released.notify_all();
}

void PageServer::SetPage(const std::string& name, std::string html)
{
    std::lock_guard lock(m_mutex);
    m_pages[name] = std::move(html);
}

int PageServer::PageCount(const std::string& name) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_pageHits.find(name);
    return it == m_pageHits.end() ? 0 : it->second;
}

InstallFolder::InstallFolder(const std::string& exchangeUrl) : m_dir(m_root.file())
{
    fs::create_directories(ConfigDir() + "PreLoginWait");
    for (const char* lib : {"Parvex.so", "Dunmore.so"})
        fs::copy_file(fs::path(TESSALY_OUT_DIR) / lib, m_dir + lib);
    std::ofstream(ConfigDir() + "orvane.cfg")
        << "[WebUrl]\nPreLoginFromInternet=" << exchangeUrl << "\n";
    std::ofstream(ConfigDir() + "Parvex.cfg") << "[Identity]\nOemID=OEM1\nAreaCode=AREA1\n";
    WriteWaitPage("<html><body><p>Please wait</p></body></html>");
    platform::OverrideModuleFolders(m_root.folder16(), m_root.folder16());
}

InstallFolder::~InstallFolder()
{
    platform::OverrideModuleFolders(u"", u"");
}

void InstallFolder::WriteWaitPage(const std::string& html)
{
    std::ofstream(ConfigDir() + "PreLoginWait/wait.htm") << html;
}

void InstallFolder::WriteSkin(const std::string& xml) { std::ofstream(ConfigDir() + "VomoLoginCfg.xml") << xml; }

void InstallFolder::RemoveSkin() { fs::remove(ConfigDir() + "VomoLoginCfg.xml"); }

namespace {

void CollectWidgets(GtkWidget* widget, std::vector<GtkWidget*>& out)
{
    out.push_back(widget);
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* it = children; it; it = it->next)
            CollectWidgets(GTK_WIDGET(it->data), out);
        g_list_free(children);
    }
}

std::vector<GtkWidget*> AllWidgets(GtkWindow* window)
{
    std::vector<GtkWidget*> out;
    if (window)
        CollectWidgets(GTK_WIDGET(window), out);
    return out;
}

GtkWindow* FindRedirectWindow()
{
    GtkWindow* found = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* it = windows; it; it = it->next) {
        auto* window = GTK_WINDOW(it->data);
        if (gtk_widget_get_mapped(GTK_WIDGET(window)) && gtk_window_get_window_type(window) == GTK_WINDOW_TOPLEVEL)
            found = window;
    }
    g_list_free(windows);
    return found;
}

}  // namespace

std::chrono::milliseconds WindowProbe::Elapsed() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_start);
}

std::uint32_t WindowProbe::XWindowId() const
{
    return platform::NativeWindowId(GTK_WIDGET(m_window));
}

std::string WindowProbe::Title() const
{
    const char* title = gtk_window_get_title(m_window);
    return title ? title : "";
}

GtkAllocation WindowProbe::ClientAllocation() const
{
    GtkAllocation allocation{};
    if (GtkWidget* child = gtk_bin_get_child(GTK_BIN(m_window)))
        gtk_widget_get_allocation(child, &allocation);
    return allocation;
}

GtkWidget* WindowProbe::Browser() const
{
    for (GtkWidget* widget : AllWidgets(m_window))
        if (g_type_name(G_OBJECT_TYPE(widget)) == std::string("WebKitWebView"))
            return widget;
    return nullptr;
}

GtkAllocation WindowProbe::BrowserAllocation() const
{
    GtkAllocation allocation{};
    GtkWidget* browser = Browser();
    GtkWidget* client = gtk_bin_get_child(GTK_BIN(m_window));
    if (browser && client) {
        gtk_widget_get_allocation(browser, &allocation);
        int x = 0, y = 0;
        gtk_widget_translate_coordinates(browser, client, 0, 0, &x, &y);
        allocation.x = x;
        allocation.y = y;
    }
    return allocation;
}

void WindowProbe::CloseBox()
{
    GdkEvent* event = gdk_event_new(GDK_DELETE);
    event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(GTK_WIDGET(m_window))));
    event->any.send_event = TRUE;
    gtk_main_do_event(event);
    gdk_event_free(event);
}

void WindowProbe::SendHostMessage(std::uint32_t message, long wParam, long lParam) const
{
    platform::SendWindowMessage(XWindowId(), message, static_cast<std::uintptr_t>(wParam), lParam);
}

bool WindowProbe::ClickAt(int x, int y) const
{
    GtkWidget* client = gtk_bin_get_child(GTK_BIN(m_window));
    GtkWidget* target = nullptr;
    int localX = 0, localY = 0;
    for (GtkWidget* widget : AllWidgets(m_window)) {
        if (widget == client || !gtk_widget_get_has_window(widget) || !gtk_widget_get_mapped(widget) ||
            GTK_IS_WINDOW(widget))
            continue;
        int wx = 0, wy = 0;
        if (!gtk_widget_translate_coordinates(client, widget, x, y, &wx, &wy))
            continue;
        if (wx >= 0 && wy >= 0 && wx < gtk_widget_get_allocated_width(widget) &&
            wy < gtk_widget_get_allocated_height(widget)) {
            target = widget;  // later entries are deeper in the tree
            localX = wx;
            localY = wy;
        }
    }
    if (!target)
        return false;
    // Delivered straight to the toolkit: with XInput 2 the toolkit ignores core events sent
    // through the server, which is all a test could send without an input-injection extension.
    GdkWindow* window = gtk_widget_get_window(target);
    for (GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
        GdkEvent* event = gdk_event_new(type);
        event->button.window = GDK_WINDOW(g_object_ref(window));
        event->button.send_event = TRUE;
        event->button.time = GDK_CURRENT_TIME;
        event->button.x = localX;
        event->button.y = localY;
        event->button.button = 1;
        event->button.state = type == GDK_BUTTON_RELEASE ? GDK_BUTTON1_MASK : 0;
        gdk_event_set_device(event, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_window_get_display(window))));
        gtk_main_do_event(event);
        gdk_event_free(event);
    }
    return true;
}

struct PageReadWatch::State {
    std::weak_ptr<State> self;
    std::string part;
    GtkWidget* browser = nullptr;
    gulong handler = 0;
    int reads = 0;
};

namespace {

struct PendingRead {
    std::weak_ptr<PageReadWatch::State> state;
};

void ReadBodyAfterTheWindow(WebKitWebView* view, const std::shared_ptr<PageReadWatch::State>& state)
{
    auto* pending = new PendingRead{state};
    webkit_web_view_evaluate_javascript(
        view, "document.body ? document.body.outerHTML : null", -1, "tessaly-host", nullptr, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<PendingRead> read(static_cast<PendingRead*>(data));
            if (JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, nullptr))
                g_object_unref(value);
            if (auto alive = read->state.lock())
                ++alive->reads;
        },
        pending);
}

bool ShowsPart(WebKitWebView* view, const std::string& part)
{
    const char* uri = webkit_web_view_get_uri(view);
    return uri && std::string_view(uri).find(part) != std::string_view::npos;
}

}  // namespace

PageReadWatch::PageReadWatch(std::string part) : m_state(std::make_shared<State>())
{
    m_state->self = m_state;
    m_state->part = std::move(part);
}

PageReadWatch::~PageReadWatch()
{
    if (m_state->browser && m_state->handler)
        g_signal_handler_disconnect(m_state->browser, m_state->handler);
    if (m_state->browser)
        g_object_remove_weak_pointer(G_OBJECT(m_state->browser), reinterpret_cast<gpointer*>(&m_state->browser));
}

void PageReadWatch::Follow(const WindowProbe& probe)
{
    GtkWidget* browser = probe.Browser();
    if (!browser || browser == m_state->browser)
        return;
    m_state->browser = browser;
    g_object_add_weak_pointer(G_OBJECT(browser), reinterpret_cast<gpointer*>(&m_state->browser));
    // Connected after the window's own handler, so this read is asked for after the window's.
    m_state->handler = g_signal_connect(
        browser, "load-changed", G_CALLBACK(+[](WebKitWebView* view, WebKitLoadEvent event, gpointer data) {
            auto* state = static_cast<State*>(data);
            if (event == WEBKIT_LOAD_FINISHED && ShowsPart(view, state->part))
                ReadBodyAfterTheWindow(view, state->self.lock());
        }),
        m_state.get());
    // A matching page that finished loading before this tick has already been read by the window.
    auto* view = WEBKIT_WEB_VIEW(browser);
    if (!webkit_web_view_is_loading(view) && ShowsPart(view, m_state->part))
        ReadBodyAfterTheWindow(view, m_state);
}

int PageReadWatch::Reads() const { return m_state->reads; }

int RunRedirectWith(const std::function<void(WindowProbe&)>& onTick)
{
    struct Ticker {
        const std::function<void(WindowProbe&)>* onTick;
        WindowProbe probe;
        bool busy = false;
    } ticker{&onTick, {}, false};
    ticker.probe.m_start = std::chrono::steady_clock::now();
    const guint source = g_timeout_add(
        25,
        [](gpointer data) -> gboolean {
            auto* t = static_cast<Ticker*>(data);
            if (t->busy)
                return G_SOURCE_CONTINUE;
            t->probe.m_window = FindRedirectWindow();
            if (t->probe.m_window && *t->onTick) {
                t->busy = true;
                (*t->onTick)(t->probe);
                t->busy = false;
            }
            return G_SOURCE_CONTINUE;
        },
        &ticker);
    const int result = RunRedirect();
    g_source_remove(source);
    return result;
}

void Pump(int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        while (g_main_context_pending(nullptr))
            g_main_context_iteration(nullptr, FALSE);
        g_usleep(5000);
    }
}

namespace {

// Live (not yet reaped) processes whose parent is this one.
int CountChildren()
{
    int n = 0;
    const std::string self = std::to_string(getpid());
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator("/proc", ignored)) {
        if (!std::isdigit(static_cast<unsigned char>(entry.path().filename().string()[0])))
            continue;
        // "pid (name) state ppid ...": the name may hold anything, so read from its closing parenthesis.
        const std::string line = ReadFile(entry.path() / "stat");
        const auto close = line.rfind(')');
        std::string state, ppid;
        if (close != std::string::npos)
            std::istringstream(line.substr(close + 1)) >> state >> ppid;
        n += ppid == self && state != "Z" ? 1 : 0;
    }
    return n;
}

}  // namespace

std::vector<std::string> CountedDescriptors() { return OpenDescriptors({"/proc/", "/sys/fs/cgroup/"}); }

ResourceCounts CountResources()
{
    ResourceCounts counts;
    counts.threads = ThreadCount();
    counts.fds = static_cast<int>(CountedDescriptors().size());
    GList* windows = gtk_window_list_toplevels();
    counts.windows = static_cast<int>(g_list_length(windows));
    g_list_free(windows);
    counts.children = CountChildren();
    return counts;
}

}  // namespace tessaly::test
