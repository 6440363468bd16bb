#include "module/CTessalyApp.h"

#include "browser/BrowserHosting.h"
#include "module/ToolkitPin.h"
#include "support/CLogTrace.h"
#include "support/PathHelpers.h"

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

namespace {
// The dynamic loader runs these when the host loads and unloads the library. Nothing may escape:
// an exception here would abort the host inside dlopen/dlclose.
[[gnu::constructor(202)]] void OnLibraryLoad() noexcept
{
    PinToolkitLibraries();
    try {
        theApp.InitInstance();
    } catch (...) {
    }
}

[[gnu::destructor(202)]] void OnLibraryUnload() noexcept
{
    try {
        theApp.ExitInstance();
    } catch (...) {
    }
}
}  // namespace

}  // namespace tessaly
