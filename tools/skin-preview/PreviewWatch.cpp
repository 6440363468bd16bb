#include <gio/gio.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "PreviewModes.h"
#include "toolkit/gtk/GuiHandles.h"
#include "skin/CZelCommonDlg.h"
#include "toolkit/gtk/CairoCanvas.h"
#include "toolkit/gtk/GtkTypes.h"

namespace tessaly::preview {
namespace {

// Editors write a file in several steps; one render follows a burst of changes.
constexpr guint kSettleMs = 150;

class Watch {
public:
    Watch(std::string program, std::string configDir, std::string section, std::string out, const PreviewModes& modes)
        : m_program(std::move(program)), m_configDir(std::move(configDir)), m_section(std::move(section)),
          m_out(std::move(out)), m_modes(modes)
    {
    }

    ~Watch()
    {
        if (m_settle)
            g_source_remove(m_settle);
        for (GFileMonitor* monitor : m_monitors) {
            g_signal_handlers_disconnect_by_data(monitor, this);
            g_file_monitor_cancel(monitor);
            g_object_unref(monitor);
        }
        if (m_window)
            gtk_widget_destroy(m_window);
        if (m_loop)
            g_main_loop_unref(m_loop);
    }

    int Run()
    {
        MonitorFolder(m_configDir);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(
                 m_configDir, std::filesystem::directory_options::skip_permission_denied))
            if (entry.is_directory())
                MonitorFolder(entry.path().string());
        MakeWindow();
        m_loop = g_main_loop_new(nullptr, FALSE);
        Render();
        if (!Done())
            g_main_loop_run(m_loop);
        return m_status;
    }

private:
    void MonitorFolder(const std::string& path)
    {
        GFile* folder = g_file_new_for_path(path.c_str());
        GFileMonitor* monitor = g_file_monitor_directory(folder, G_FILE_MONITOR_WATCH_MOVES, nullptr, nullptr);
        g_object_unref(folder);
        if (!monitor)
            return;
        g_file_monitor_set_rate_limit(monitor, 100);
        g_signal_connect(monitor, "changed", G_CALLBACK(ChangedThunk), this);
        m_monitors.push_back(monitor);
    }

    void MakeWindow()
    {
        m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        g_object_ref_sink(m_window);
        gtk_window_set_title(GTK_WINDOW(m_window), ("tessaly-skin-preview: " + m_configDir).c_str());
        m_image = gtk_image_new();
        gtk_container_add(GTK_CONTAINER(m_window), m_image);
        g_signal_connect(m_window, "delete-event", G_CALLBACK(CloseThunk), this);
        gtk_widget_show_all(m_window);
    }

    static void ChangedThunk(GFileMonitor*, GFile* file, GFile*, GFileMonitorEvent event, gpointer self)
    {
        auto* watch = static_cast<Watch*>(self);
        if (event == G_FILE_MONITOR_EVENT_ATTRIBUTE_CHANGED || event == G_FILE_MONITOR_EVENT_PRE_UNMOUNT)
            return;
        // The rendered picture itself may live in the folder; its own writes are not changes.
        char* path = g_file_get_path(file);
        const bool ours = path && std::filesystem::path(path) == std::filesystem::absolute(watch->m_out);
        g_free(path);
        if (ours)
            return;
        if (watch->m_settle)
            g_source_remove(watch->m_settle);
        watch->m_settle = g_timeout_add(kSettleMs, SettledThunk, watch);
    }

    static gboolean SettledThunk(gpointer self)
    {
        auto* watch = static_cast<Watch*>(self);
        watch->m_settle = 0;
        watch->Render();
        if (watch->Done())
            g_main_loop_quit(watch->m_loop);
        return G_SOURCE_REMOVE;
    }

    static gboolean CloseThunk(GtkWidget*, GdkEvent*, gpointer self)
    {
        auto* watch = static_cast<Watch*>(self);
        g_main_loop_quit(watch->m_loop);
        return TRUE;
    }

    void Render()
    {
        std::vector<const char*> args = {m_program.c_str(), "--config", m_configDir.c_str(), "--section",
                                         m_section.c_str(), "--out",    m_out.c_str()};
        if (m_modes.states)
            args.push_back("--states");
        args.push_back(nullptr);
        gint status = 0;
        GError* error = nullptr;
        const gboolean ran = g_spawn_sync(nullptr, const_cast<gchar**>(args.data()), nullptr, G_SPAWN_CHILD_INHERITS_STDIN,
                                          nullptr, nullptr, nullptr, nullptr, &status, &error);
        ++m_renders;
        if (!ran || !g_spawn_check_wait_status(status, nullptr)) {
            std::fprintf(stderr, "tessaly-skin-preview: render %d failed%s%s\n", m_renders, error ? ": " : "",
                         error ? error->message : "");
            if (error)
                g_error_free(error);
            m_status = 3;
            return;
        }
        m_status = 0;
        gtk_image_set_from_file(GTK_IMAGE(m_image), m_out.c_str());
        std::printf("rendered %d: %s\n", m_renders, m_out.c_str());
        std::fflush(stdout);
    }

    bool Done() const { return m_modes.maxRenders > 0 && m_renders >= m_modes.maxRenders; }

    std::string m_program, m_configDir, m_section, m_out;
    PreviewModes m_modes;
    std::vector<GFileMonitor*> m_monitors;
    GtkWidget* m_window = nullptr;
    GtkWidget* m_image = nullptr;
    GMainLoop* m_loop = nullptr;
    guint m_settle = 0;
    int m_renders = 0;
    int m_status = 0;
};

}  // namespace

PreviewModes TakeModeOptions(int& argc, char** argv)
{
    PreviewModes modes;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--watch") == 0) {
            modes.watch = true;
        } else if (std::strcmp(argv[i], "--states") == 0) {
            modes.states = true;
        } else if (std::strcmp(argv[i], "--max-renders") == 0) {
            char* end = nullptr;
            modes.maxRenders = i + 1 < argc ? static_cast<int>(std::strtol(argv[i + 1], &end, 10)) : 0;
            modes.valid = modes.valid && end && *end == '\0' && modes.maxRenders > 0;
            ++i;
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    return modes;
}

int RunWatch(const std::string& program, const std::string& configDir, const std::string& section,
             const std::string& out, const PreviewModes& modes)
{
    if (!EnsureUserInterface()) {
        std::fprintf(stderr, "tessaly-skin-preview: no display, the window cannot be made\n");
        return 2;
    }
    return Watch(program, configDir, section, std::filesystem::absolute(out).string(), modes).Run();
}

}  // namespace tessaly::preview
