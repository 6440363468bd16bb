#include "redirect/RedirectEntry.h"

#include <string>

#include "platform/UiThread.h"
#include "redirect/CRedirectDlg.h"
#include "support/CLogTrace.h"
#include "support/WideText.h"
#include "toolkit/UserInterface.h"

namespace tessaly {

namespace {

// The window's run on the UI thread; `whyNot` says why when it ends with -1.
int RunOnThisThread(std::string& whyNot)
{
    if (!toolkit::StartUserInterface(whyNot))
        return -1;
    int result = -1;
    {
        CRedirectDlg dialog;
        result = dialog.DoModal();
        if (result == -1)
            whyNot = dialog.WasDestroyed() ? "the window was destroyed before it ended"
                                            : "the window could not be made from its template";
    }
    // After the window is gone the browser engine still has work queued (cancelled script calls, the
    // page process's farewell); none of it may fire later inside the host's own loop.
    if (result != -1)
        toolkit::DrainPendingWork();
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
