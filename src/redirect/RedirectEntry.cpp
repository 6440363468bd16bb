#include "redirect/RedirectEntry.h"

#include <glib.h>

#include <chrono>
#include <string>

#include "platform/UiThread.h"
#include "platform/WindowSystem.h"
#include "redirect/CRedirectDlg.h"
#include "support/CLogTrace.h"
#include "support/WideText.h"

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

// The window's run on the UI thread; `whyNot` says why when it ends with -1.
int RunOnThisThread(std::string& whyNot)
{
    if (!platform::StartToolkit(whyNot))
        return -1;
    int result = -1;
    {
        CRedirectDlg dialog;
        result = dialog.DoModal();
        if (result == -1)
            whyNot = dialog.WasDestroyed() ? "the window was destroyed before it ended"
                                            : "the window could not be made from its template";
    }
    if (result != -1)
        DrainPendingSources();
    return result;
}

}  // namespace

int RunRedirect()
{
    int result = -1;
    std::string whyNot;
    if (!platform::RunOnUiThread([&] { result = RunOnThisThread(whyNot); }, whyNot))
        result = -1;
    if (result == -1)
        g_LogTrace.Trace(4, u"--Redirect returns -1, %s", FromUtf8(whyNot));
    return result;
}

}  // namespace tessaly
