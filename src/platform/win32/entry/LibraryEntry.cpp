// The load hook of Tessaly.dll: DllMain. The C runtime has built the static objects before it calls
// DllMain for the process attach, and destroys them after the process detach returns.
#include <winsock2.h>
#include <windows.h>

#include "platform/LibraryEntry.h"

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
