#include "module/CTessalyApp.h"

#include "browser/BrowserHosting.h"
#include "toolkit/ToolkitPin.h"
#include "platform/LibraryEntry.h"
#include "support/CLogTrace.h"
#include "support/PathHelpers.h"
#include "support/SwallowedException.h"

namespace tessaly {

namespace {
// Built after g_LogTrace (priority 200, support/CLogTrace.cpp) and before the load hook below.
CTessalyApp theApp __attribute__((init_priority(201)));
}  // namespace

CTessalyApp& TheApp() { return theApp; }

bool CTessalyApp::InitInstance()
{
    g_LogTrace.Init(GetConfigDir(LibraryInstance()) + u"UILogTrace.txt", -1, 0xA00000);
    m_bBrowserHosting = StartBrowserHosting();
    return true;
}

int CTessalyApp::ExitInstance()
{
    if (m_bBrowserHosting)
        StopBrowserHosting();
    m_bBrowserHosting = false;
    return 0;
}

}  // namespace tessaly

namespace tessaly::platform {

// Nothing may escape: an exception here would abort the host inside its load call.
void OnLibraryLoaded() noexcept
{
    toolkit::PinToolkitLibraries();
    try {
        theApp.InitInstance();
    } catch (...) {
        TraceSwallowed(u"CTessalyApp", u"the start-up failed");
    }
}

void OnLibraryUnloading() noexcept
{
    try {
        theApp.ExitInstance();
    } catch (...) {
        TraceSwallowed(u"CTessalyApp", u"the shut-down failed");
    }
}

}  // namespace tessaly::platform
