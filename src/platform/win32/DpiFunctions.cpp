#include "platform/win32/DpiFunctions.h"

namespace tessaly::platform::win32 {
namespace {

// user32 is loaded in every process that makes windows, so nothing is loaded here.
template <typename Function>
Function User32Function(const char* name)
{
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

// Before Windows 10 the DPI is the system's, one for every window: what the window's device context
// reports (96 for a host that is not DPI aware, which the system stretches).
UINT DpiOfWindow(HWND window)
{
    using GetDpi = UINT(WINAPI*)(HWND);
    static const auto get = User32Function<GetDpi>("GetDpiForWindow");
    UINT dpi = 0;
    if (get && window) {
        dpi = get(window);
    } else if (HDC dc = ::GetDC(window)) {
        dpi = static_cast<UINT>(::GetDeviceCaps(dc, LOGPIXELSX));
        ::ReleaseDC(window, dc);
    }
    return dpi != 0 ? dpi : kDefaultDpi;
}

void AdjustFrameForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi)
{
    using Adjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjust = User32Function<Adjust>("AdjustWindowRectExForDpi");
    if (!adjust || !adjust(&rect, style, FALSE, exStyle, dpi))
        ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

void KeepDialogLayout(HWND dialog)
{
    using SetBehavior = BOOL(WINAPI*)(HWND, int, int);
    static const auto set = User32Function<SetBehavior>("SetDialogDpiChangeBehavior");
    constexpr int kDisableAll = 1;  // DDC_DISABLE_ALL
    if (set && dialog)
        set(dialog, kDisableAll, kDisableAll);
}

HANDLE CurrentDpiContext()
{
    using GetContext = HANDLE(WINAPI*)();
    static const auto get = User32Function<GetContext>("GetThreadDpiAwarenessContext");
    return get ? get() : nullptr;
}

void EnterDpiContext(HANDLE context)
{
    using SetContext = HANDLE(WINAPI*)(HANDLE);
    static const auto set = User32Function<SetContext>("SetThreadDpiAwarenessContext");
    if (set && context)
        set(context);
}

}  // namespace tessaly::platform::win32
