#include "redirect/RedirectEntry.h"

#include <glib.h>

#include <chrono>

#include "redirect/CRedirectDlg.h"

namespace tessaly {

namespace {

// After the window is gone WebKit still has idle work queued (cancelled script calls, the page
// process's farewell). Running it here means nothing of this call fires later inside the host's own
// loop, after the objects it refers to are gone. Bounded, so a busy context cannot hold the caller.
void DrainPendingSources()
{
    GMainContext* context = g_main_context_default();
    if (!g_main_context_acquire(context))
        return;  // another thread runs this context; its own loop will dispatch the rest
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (g_main_context_pending(context) && std::chrono::steady_clock::now() < end)
        g_main_context_iteration(context, FALSE);
    g_main_context_release(context);
}

}  // namespace

int RunRedirect()
{
    int result = -1;
    {
        CRedirectDlg dialog;
        result = dialog.DoModal();
    }
    if (result != -1)
        DrainPendingSources();
    return result;
}

}  // namespace tessaly
