#pragma once
// The window classes of the backend (skin controls, the browser slot), registered while a window of
// the backend lives and unregistered with the last one, so that a library unloaded and loaded again
// never finds a class whose procedure points into its old image.
#include <windows.h>

namespace tessaly::toolkit {

inline constexpr wchar_t kControlClass[] = L"TessalySkinControl";
inline constexpr wchar_t kSlotClass[] = L"TessalyBrowserSlot";

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK SlotWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Holds the classes registered while it lives (counted across the process's windows).
class WindowClassUse {
public:
    WindowClassUse();
    ~WindowClassUse();
    WindowClassUse(const WindowClassUse&) = delete;
    WindowClassUse& operator=(const WindowClassUse&) = delete;
};

}  // namespace tessaly::toolkit
