#include "toolkit/win32/WindowClasses.h"

#include <mutex>

#include "toolkit/win32/Win32Toolkit.h"

namespace tessaly::toolkit {
namespace {

std::mutex g_classLock;
int g_classUsers = 0;

void Register(const wchar_t* name, WNDPROC procedure, UINT style)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ToolkitInstance();
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);
}

}  // namespace

HINSTANCE ToolkitInstance()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ToolkitInstance), &module);
    return module;
}

WindowClassUse::WindowClassUse()
{
    const std::lock_guard lock(g_classLock);
    if (g_classUsers++ == 0) {
        Register(kControlClass, ControlWindowProc, CS_DBLCLKS);
        Register(kSlotClass, SlotWindowProc, 0);
    }
}

WindowClassUse::~WindowClassUse()
{
    const std::lock_guard lock(g_classLock);
    if (--g_classUsers == 0) {
        UnregisterClassW(kControlClass, ToolkitInstance());
        UnregisterClassW(kSlotClass, ToolkitInstance());
    }
}

}  // namespace tessaly::toolkit
