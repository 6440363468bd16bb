/*
 * A small host program as users write them, in plain C and through the public header only:
 *
 *   wayland-host gtk   LIBRARY   a GTK 3 application: Redirect from a handler inside gtk_main
 *   wayland-host plain LIBRARY   no toolkit: Redirect on the main thread, the closing from a thread
 *
 * It publishes a window message list, calls Redirect, waits until the window has been listed for a
 * second, closes it through TessalyPostWindowMessage and expects 1. Exit code 0 when the window was
 * listed with a value of the expected kind, the post reached the channel, Redirect returned 1 and
 * the entry was gone afterwards; 1 otherwise, with the reason on stderr.
 */
#include <tessaly/tessaly.h>

#include <dlfcn.h>
#include <gtk/gtk.h>
#include <pthread.h>
#include <stdio.h>
#include <time.h>

static TessalyWndMsgList s_list;
static uint32_t s_window;        /* the listed value, once seen */
static double s_listedAt;        /* when it was first seen */
static int s_posted = -1;        /* what TessalyPostWindowMessage returned */
static int s_closedBeforePost;   /* the entry went away before the host posted */

static double Now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

/* Publishes the list in this process's shared data block; withdrawn (and the block removed) before the
 * host ends, so no block outlives it. */
static int PublishList(void)
{
    return TessalyPublishWndMsgList(&s_list) == 0;
}

/* One look at the list; posts the close message once the window has been listed for a second.
 * Returns 1 when there is nothing more to do. */
static int CloseStep(void)
{
    const intptr_t count = __atomic_load_n(&s_list.count, __ATOMIC_ACQUIRE);
    if (__atomic_load_n(&s_posted, __ATOMIC_ACQUIRE) >= 0)
        return 1;
    if (count <= 0) {
        s_closedBeforePost = s_window != 0;
        return s_closedBeforePost;
    }
    if (s_window == 0) {
        s_window = s_list.items[0].window;
        s_listedAt = Now();
    }
    if (Now() - s_listedAt < 1.0)
        return 0;
    __atomic_store_n(&s_posted, TessalyPostWindowMessage(s_window, TESSALY_WM_PRELOGIN_CLOSE, 1, 0), __ATOMIC_RELEASE);
    return 1;
}

static void *CloserThread(void *unused)
{
    (void)unused;
    while (!CloseStep())
        g_usleep(50000);
    return NULL;
}

static GtkWidget *s_hostWindow;
static double s_started;

/* A window that never shows up in the list cannot be closed through it; after a generous wait the
 * host closes the windows it did not make itself, so the failure is reported rather than hung. */
static void CloseUnlistedWindows(void)
{
    GList *windows = gtk_window_list_toplevels(), *it;
    for (it = windows; it; it = it->next)
        if (it->data != (gpointer)s_hostWindow)
            gtk_window_close(GTK_WINDOW(it->data));
    g_list_free(windows);
}

static gboolean CloseTick(gpointer unused)
{
    (void)unused;
    if (CloseStep())
        return G_SOURCE_REMOVE;
    if (s_window == 0 && Now() - s_started > 40.0) {
        CloseUnlistedWindows();
        return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
}

typedef int (*RedirectFn)(void);
static RedirectFn s_redirect;
static int s_result = -100;

static gboolean RedirectFromHandler(gpointer unused)
{
    (void)unused;
    s_started = Now();
    g_timeout_add(50, CloseTick, NULL);
    s_result = s_redirect();
    gtk_main_quit();
    return G_SOURCE_REMOVE;
}

static int Check(int ok, const char *what)
{
    if (!ok)
        fprintf(stderr, "wayland-host: %s\n", what);
    return ok;
}

int main(int argc, char **argv)
{
    void *library;
    int ok = 1, gtk;
    if (argc != 3 || (strcmp(argv[1], "gtk") != 0 && strcmp(argv[1], "plain") != 0)) {
        fprintf(stderr, "usage: wayland-host gtk|plain LIBRARY\n");
        return 2;
    }
    gtk = strcmp(argv[1], "gtk") == 0;
    alarm(90); /* the last resort against a window nobody can close */
    if (gtk && !gtk_init_check(&argc, &argv))
        return Check(0, "GTK did not start"), 1;
    if (!PublishList())
        return Check(0, "cannot publish the window message list"), 1;
    library = dlopen(argv[2], RTLD_NOW | RTLD_LOCAL);
    s_redirect = library ? (RedirectFn)dlsym(library, "Redirect") : NULL;
    if (!s_redirect)
        return Check(0, dlerror()), TessalyPublishWndMsgList(NULL), 1;
    if (gtk) {
        s_hostWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_widget_show(s_hostWindow);
        g_idle_add(RedirectFromHandler, NULL);
        gtk_main();
        gtk_widget_destroy(s_hostWindow);
    } else {
        pthread_t closer;
        pthread_create(&closer, NULL, CloserThread, NULL);
        s_result = s_redirect();
        if (s_result == -1)
            __atomic_store_n(&s_posted, 0, __ATOMIC_RELEASE); /* lets the thread end */
        pthread_join(closer, NULL);
    }
    printf("Redirect returned %d, window 0x%08x, post %d\n", s_result, (unsigned)s_window, s_posted);
    ok &= Check(s_window != 0, "no window was listed");
    ok &= Check(!getenv("DISPLAY") == !!(s_window & TESSALY_CHANNEL_WINDOW_FLAG),
                "the listed value is not of the kind this session calls for");
    ok &= Check(!s_closedBeforePost, "the window closed before the host posted");
    ok &= Check(s_posted == 1, "the post did not reach the library's channel");
    ok &= Check(s_result == 1, "Redirect did not return 1");
    ok &= Check(s_list.count == 0, "the window left its entry behind");
    dlclose(library);
    ok &= Check(TessalyPublishWndMsgList(NULL) == 0, "withdrawing the list failed");
    free(s_list.items);
    return ok ? 0 : 1;
}
