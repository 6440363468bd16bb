// A GTK host with a window and a 20 ms timer of its own. Modes:
//   worker   a std::thread calls Redirect while the main thread runs gtk_main;
//   handler  a handler on the main thread calls Redirect;
//   blocked  a handler on the main thread starts a thread that calls Redirect and joins it, the one
//            wait the library can see: the call must give up with -1 instead of waiting for ever.
// Prints the end code and how often the timer ticked while the call was open.
#include <gtk/gtk.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "hosts/HostLibrary.h"

namespace {

tessaly::testhost::RedirectFn g_redirect = nullptr;
std::atomic<bool> g_calling{false};
std::atomic<int> g_ticks{0};
std::atomic<int> g_result{-2};

int Call()
{
    g_calling = true;
    const int result = g_redirect();
    g_calling = false;
    g_result = result;
    return result;
}

gboolean Quit(gpointer)
{
    gtk_main_quit();
    return G_SOURCE_REMOVE;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    gtk_init(nullptr, nullptr);
    g_redirect = tessaly::testhost::LoadRedirect(argv[1]);
    const std::string mode = argv[2];
    GtkWidget* own = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(own), "host");
    gtk_widget_show(own);
    g_timeout_add(20, [](gpointer) -> gboolean {
        if (g_calling)
            ++g_ticks;
        return G_SOURCE_CONTINUE;
    }, nullptr);

    std::thread worker;
    if (mode == "worker") {
        worker = std::thread([] {
            Call();
            g_idle_add(Quit, nullptr);
        });
    } else if (mode == "handler") {
        g_idle_add([](gpointer) -> gboolean {
            Call();
            gtk_main_quit();
            return G_SOURCE_REMOVE;
        }, nullptr);
    } else if (mode == "blocked") {
        g_idle_add([](gpointer) -> gboolean {
            std::thread([] { Call(); }).join();
            gtk_main_quit();
            return G_SOURCE_REMOVE;
        }, nullptr);
    } else {
        return 2;
    }
    gtk_main();
    if (worker.joinable())
        worker.join();
    // The host's own window still works: it takes a new title and survives a round of events.
    gtk_window_set_title(GTK_WINDOW(own), "host again");
    while (gtk_events_pending())
        gtk_main_iteration();
    gtk_widget_destroy(own);
    tessaly::testhost::Report("result", g_result);
    std::printf("ticks %d\n", g_ticks.load());
    return 0;
}
