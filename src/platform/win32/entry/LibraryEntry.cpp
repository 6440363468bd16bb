// The load hook of Tessaly.dll: DllMain. The C runtime has built the static objects before it calls
// DllMain for the process attach, and destroys them after the process detach returns.
#include <winsock2.h>
#include <windows.h>

#include "platform/LibraryEntry.h"

namespace __gnu_cxx {
void __freeres() noexcept;  // libstdc++: frees the emergency buffer (made for leak checkers)
}

namespace {

// The DLL carries its own copy of the C++ runtime (linked -static), whose emergency buffer for
// exceptions (about 71 KiB on 64-bit) is made at every load and never freed by the runtime itself;
// a host that loads and frees the library for each sign-in would lose it every time. Built before
// every other static object of the DLL, this one is destroyed after all of them, at the process
// detach, when no exception can be in flight in the DLL any more.
struct RuntimeRelease {
    ~RuntimeRelease() { __gnu_cxx::__freeres(); }
} g_runtimeRelease __attribute__((init_priority(101)));

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        tessaly::platform::OnLibraryLoaded();
        break;
    case DLL_PROCESS_DETACH:
        // Both at FreeLibrary and at process exit; the shut-down takes no lock and waits for nothing.
        tessaly::platform::OnLibraryUnloading();
        break;
    default:
        break;
    }
    return TRUE;
}
