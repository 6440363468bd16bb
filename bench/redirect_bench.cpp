// How long the user waits for the first picture: from the Redirect call until the wait page is
// loaded and drawn, next to a bare WebKit window showing the same page, measured in the same run; and
// the same Redirect with a skin of 200 controls (labels, buttons, pictures) next to the shipped skin.
// Each window runs its own main loop, so each is one iteration whose time the program takes itself
// (from the call to the first drawn frame) and hands to Google Benchmark as manual time.
// Run by hand:   xvfb-run -a build/bench/redirect_bench [--windows N] [Google Benchmark flags]
// (N windows of each kind, default 9). The exchange address points at a socket that never answers,
// so the window stays on the wait page.
#include <gtk/gtk.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "BenchRun.h"
#include "browser/BrowserHosting.h"
#include "platform/ModulePaths.h"
#include "redirect/RedirectEntry.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Waits for the next completed load of any web view, then for that view's next drawn frame.
struct PaintWatch {
    WebKitWebView* view = nullptr;
    bool loaded = false;
    bool painted = false;
    Clock::time_point paintedAt;
    gulong drawHandler = 0;

    static gboolean OnDraw(GtkWidget*, cairo_t*, gpointer self)
    {
        auto* watch = static_cast<PaintWatch*>(self);
        if (!watch->painted) {
            watch->painted = true;
            watch->paintedAt = Clock::now();
        }
        return FALSE;
    }

    static gboolean OnLoad(GSignalInvocationHint*, guint count, const GValue* values, gpointer self)
    {
        auto* watch = static_cast<PaintWatch*>(self);
        if (count < 2 || watch->loaded || g_value_get_enum(&values[1]) != WEBKIT_LOAD_FINISHED)
            return TRUE;
        watch->loaded = true;
        watch->view = WEBKIT_WEB_VIEW(g_value_get_object(&values[0]));
        watch->drawHandler = g_signal_connect_after(watch->view, "draw", G_CALLBACK(OnDraw), watch);
        gtk_widget_queue_draw(GTK_WIDGET(watch->view));
        return TRUE;
    }
};

class LoadHook {
public:
    explicit LoadHook(PaintWatch* watch)
    {
        m_class = g_type_class_ref(WEBKIT_TYPE_WEB_VIEW);  // signals exist once the class does
        m_signal = g_signal_lookup("load-changed", WEBKIT_TYPE_WEB_VIEW);
        m_hook = g_signal_add_emission_hook(m_signal, 0, &PaintWatch::OnLoad, watch, nullptr);
    }
    ~LoadHook()
    {
        g_signal_remove_emission_hook(m_signal, m_hook);
        g_type_class_unref(m_class);
    }

private:
    gpointer m_class = nullptr;
    guint m_signal = 0;
    gulong m_hook = 0;
};

// A listening socket that never accepts: the upload connects and then waits.
int SilentListener(int& port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd, 64) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return -1;
    port = ntohs(address.sin_port);
    return fd;
}

// Adds `count` items of one kind after the opening tag of its list in the skin section.
void AddItems(std::string& xml, const std::string& listTag, int count, const std::string& itemPattern)
{
    const std::size_t at = xml.rfind("<" + listTag + ">");
    if (at == std::string::npos)
        return;
    std::string items;
    for (int i = 0; i < count; ++i) {
        const int x = 8 + (i % 10) * 62, y = 60 + (i / 10) * 36;
        std::string item = itemPattern;
        for (const auto& [key, value] : {std::pair<std::string, std::string>{"$N", std::to_string(i)},
                                         {"$POS", std::to_string(x) + "," + std::to_string(y) + ",58,30"}})
            for (std::size_t p = item.find(key); p != std::string::npos; p = item.find(key, p))
                item.replace(p, key.size(), value);
        items += item + "\n";
    }
    xml.insert(at + listTag.size() + 2, "\n" + items);
}

// The shipped skin with 200 more controls: 80 labels, 60 buttons and 60 pictures.
void MakeCrowdedSkin(const std::string& configDir)
{
    const std::string file = configDir + "/VomoLoginCfg.xml";
    std::ifstream in(file);
    std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    AddItems(xml, "LabelItem", 80, R"(<Item Name="Label $N" Pos="$POS" FontSize="12" FontColor="2B2B2B"/>)");
    AddItems(xml, "ButtonItem", 60,
             R"(<Item ID="B$N" Name="Button $N" Pos="$POS" Out="skin\button_normal.png" In="skin\button_hover.png" )"
             R"(Select="skin\button_pressed.png" Disable="skin\button_disabled.png"/>)");
    AddItems(xml, "PictureItem", 60, R"(<Item Pos="$POS" Out="skin\logo.png"/>)");
    std::ofstream(file, std::ios::trunc) << xml;
    std::size_t items = 0;
    for (std::size_t p = xml.find("<Item "); p != std::string::npos; p = xml.find("<Item ", p + 1))
        ++items;
    std::fprintf(stderr, "redirect_bench: the crowded skin file has %zu items\n", items);
}

std::string MakeInstall(int port)
{
    char pattern[] = "/tmp/tessaly-bench-XXXXXX";
    if (!mkdtemp(pattern))
        return {};
    const std::string dir = std::string(pattern) + "/";
    const fs::path out(TESSALY_OUT_DIR);
    fs::copy(out / "Config", dir + "Config", fs::copy_options::recursive);
    for (const char* lib : {"Parvex.so", "Dunmore.so"})
        fs::copy_file(out / lib, dir + lib);
    std::ofstream(dir + "Config/orvane.cfg")
        << "[WebUrl]\nPreLoginFromInternet=http://127.0.0.1:" << port << "/exchange\n";
    return dir;
}

void Spin(PaintWatch& watch, double limitSeconds)
{
    const auto end = Clock::now() + std::chrono::duration<double>(limitSeconds);
    while (!watch.painted && Clock::now() < end)
        g_main_context_iteration(nullptr, TRUE);
}

double MeasureRedirect(const std::string& install)
{
    const std::u16string dir(install.begin(), install.end());
    tessaly::platform::OverrideModuleFolders(dir, dir);
    PaintWatch watch;
    LoadHook hook(&watch);
    const auto start = Clock::now();
    // Once the wait page is drawn the window is closed from inside its own loop.
    const guint closer = g_timeout_add(
        1,
        [](gpointer data) -> gboolean {
            auto* w = static_cast<PaintWatch*>(data);
            if (!w->painted)
                return G_SOURCE_CONTINUE;
            g_signal_handler_disconnect(w->view, w->drawHandler);
            w->drawHandler = 0;
            gtk_window_close(GTK_WINDOW(gtk_widget_get_toplevel(GTK_WIDGET(w->view))));
            return G_SOURCE_REMOVE;
        },
        &watch);
    const int result = tessaly::RunRedirect();
    if (!watch.painted)
        g_source_remove(closer);
    if (result == -1 || !watch.painted)
        return -1;
    return std::chrono::duration<double, std::milli>(watch.paintedAt - start).count();
}

double MeasureBare(const std::string& waitPage)
{
    PaintWatch watch;
    LoadHook hook(&watch);
    const auto start = Clock::now();
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 640, 480);
    GtkWidget* view = webkit_web_view_new();
    // The same software rendering as the library's view, so both draw under a virtual display.
    webkit_settings_set_hardware_acceleration_policy(webkit_web_view_get_settings(WEBKIT_WEB_VIEW(view)),
                                                     WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
    gtk_container_add(GTK_CONTAINER(window), view);
    gchar* uri = g_filename_to_uri(waitPage.c_str(), nullptr, nullptr);
    webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), uri);
    g_free(uri);
    gtk_widget_show_all(window);
    Spin(watch, 30);
    const double ms = std::chrono::duration<double, std::milli>(watch.paintedAt - start).count();
    if (watch.drawHandler)
        g_signal_handler_disconnect(view, watch.drawHandler);
    gtk_widget_destroy(window);
    while (g_main_context_pending(nullptr))
        g_main_context_iteration(nullptr, FALSE);
    return watch.painted ? ms : -1;
}

// Registers `windows` runs of `measure` (milliseconds to the drawn page, negative when it was not drawn).
template <class Measure>
void Register(const char* name, int windows, Measure measure)
{
    benchmark::RegisterBenchmark(name, [measure](benchmark::State& state) {
        for (auto _ : state) {
            const double ms = measure();
            if (ms < 0) {
                state.SkipWithError("the wait page was not drawn");
                break;
            }
            state.SetIterationTime(ms / 1000);
        }
    })->UseManualTime()->Iterations(1)->Repetitions(windows)->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv)
{
    const int windows = tessaly::bench::TakeCount(argc, argv, "--windows", 9);
    if (!gtk_init_check(nullptr, nullptr)) {
        std::fprintf(stderr, "redirect_bench: no display (run it under xvfb-run)\n");
        return 1;
    }
    int port = 0;
    const int listener = SilentListener(port);
    const std::string install = listener >= 0 ? MakeInstall(port) : std::string();
    const std::string crowded = listener >= 0 ? MakeInstall(port) : std::string();
    if (install.empty() || crowded.empty()) {
        std::fprintf(stderr, "redirect_bench: cannot prepare the install folder\n");
        return 1;
    }
    MakeCrowdedSkin(crowded + "Config");
    tessaly::StartBrowserHosting();
    const std::string waitPage = install + "Config/PreLoginWait/wait.htm";

    // One untimed round each: WebKit starts its shared helper processes on first use.
    MeasureRedirect(install);
    MeasureRedirect(crowded);
    MeasureBare(waitPage);
    Register("redirect-wait-page", windows, [&install] { return MeasureRedirect(install); });
    Register("bare-webkit-window", windows, [&waitPage] { return MeasureBare(waitPage); });
    Register("redirect-200-controls", windows, [&crowded] { return MeasureRedirect(crowded); });
    const int status = tessaly::bench::RunBenchmarks(argc, argv);
    tessaly::StopBrowserHosting();
    tessaly::platform::OverrideModuleFolders(u"", u"");
    std::error_code ignored;
    fs::remove_all(install, ignored);
    fs::remove_all(crowded, ignored);
    close(listener);
    // Detached exchange workers still wait on the silent socket; leave without waiting for them.
    std::fflush(stdout);
    _exit(status);
}
