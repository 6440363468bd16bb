/*
 * A GTK 3 host: a button's handler signs in and runs the redirect window on the GTK thread; then a
 * worker thread runs it again while the main loop keeps going, and hands its result back to the main
 * loop. The library carries the worker's call out on this program's GTK thread.
 *
 *   tessaly-example-gtk [path/to/libtessaly.so]
 */
#include <gtk/gtk.h>

#include "example_host.h"

typedef struct App {
    ExampleHost host;
    TessalyWndMsgList windows;
    GtkWidget *main_window;
    GThread *worker;
    int ticks, failures;
} App;

static gboolean on_tick(gpointer data)
{
    ++((App *)data)->ticks;
    return G_SOURCE_CONTINUE;
}

typedef struct WorkerResult {
    App *app;
    int result;
} WorkerResult;

static gboolean on_worker_done(gpointer data)
{
    WorkerResult *done = data;
    example_expect("Redirect from a worker thread", done->result, 1, &done->app->failures);
    gtk_widget_destroy(done->app->main_window);
    g_free(done);
    return G_SOURCE_REMOVE;
}

static gpointer run_window_on_worker(gpointer data)
{
    WorkerResult *done = g_new0(WorkerResult, 1);
    done->app = data;
    done->result = done->app->host.Redirect();
    g_idle_add(on_worker_done, done);
    return NULL;
}

static void on_sign_in_clicked(GtkButton *button, gpointer data)
{
    App *app = data;
    int code = -1, ticks_before;
    gtk_widget_set_sensitive(GTK_WIDGET(button), FALSE);
    example_expect("PreLogin with the right password", example_prelogin(&app->host, "alice", "wonderland", &code), 1,
                   &app->failures);
    example_expect("  reply code", code, 0, &app->failures);
    example_expect("PreLogin with a wrong password", example_prelogin(&app->host, "alice", "guess", &code), 0,
                   &app->failures);
    example_expect("  reply code", code, -102, &app->failures);

    ticks_before = app->ticks;
    example_expect("Redirect from a handler", app->host.Redirect(), 1, &app->failures);
    example_expect("our timer kept running meanwhile", app->ticks > ticks_before, 1, &app->failures);
    example_expect("window listed while open", app->windows.capacity > 0, 1, &app->failures);
    example_expect("windows listed afterwards", (long)app->windows.count, 0, &app->failures);

    app->worker = g_thread_new("redirect", run_window_on_worker, app);
}

static gboolean click_once(gpointer button)
{
    gtk_button_clicked(GTK_BUTTON(button));
    return G_SOURCE_REMOVE;
}

int main(int argc, char **argv)
{
    static App app;
    const char *module = example_module_path(argc, argv);
    GtkWidget *button;

    gtk_init(&argc, &argv);
    if (example_host_open(&app.host, module) != 0)
        return 1;
    if (TessalyPublishWndMsgList(&app.windows) != 0) {
        perror("publishing the window list");
        return 1;
    }

    app.main_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(app.main_window), "Example host");
    button = gtk_button_new_with_label("Sign in");
    gtk_container_add(GTK_CONTAINER(app.main_window), button);
    g_signal_connect(button, "clicked", G_CALLBACK(on_sign_in_clicked), &app);
    g_signal_connect(app.main_window, "destroy", G_CALLBACK(gtk_main_quit), NULL);
    gtk_widget_show_all(app.main_window);
    g_timeout_add(20, on_tick, &app);
    g_idle_add(click_once, button); /* as if the user clicked */

    gtk_main();
    if (app.worker)
        g_thread_join(app.worker);
    example_host_close(&app.host);
    TessalyPublishWndMsgList(NULL);
    free(app.windows.items);
    return app.failures == 0 ? 0 : 1;
}
