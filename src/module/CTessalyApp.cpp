#include "module/CTessalyApp.h"

#include <cstdlib>

#include "browser/BrowserHosting.h"
#include "module/ToolkitPin.h"
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

namespace {
void OnLibraryUnload() noexcept
{
    try {
        theApp.ExitInstance();
    } catch (...) {
        TraceSwallowed(u"CTessalyApp", u"the shut-down failed");
    }
}

// The dynamic loader runs this when the host loads the library. Nothing may escape: an exception here
// would abort the host inside dlopen.
//
// The shut-down is registered with atexit right after start-up rather than as a destructor function:
// handlers and static destructors of this library run at dlclose in reverse order of registration,
// and all plain destructor functions run only after them. Registered last, ExitInstance runs first,
// while the objects that start-up made (and their owners, such as function-local statics first used
// during InitInstance) still exist.
[[gnu::constructor(202)]] void OnLibraryLoad() noexcept
{
    PinToolkitLibraries();
    try {
        theApp.InitInstance();
    } catch (...) {
        TraceSwallowed(u"CTessalyApp", u"the start-up failed");
    }
    if (std::atexit(&OnLibraryUnload) != 0)
        OnLibraryUnload();  // cannot be run later: undo now rather than leave it to static destruction
}
}  // namespace

}  // namespace tessaly
