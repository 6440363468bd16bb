#pragma once
// The per-window DPI functions of Windows 10 (1607 and later), looked up in user32 at run time so
// that the library still loads where they are missing; there the system's DPI applies to every window.
#include <windows.h>

namespace tessaly::platform::win32 {

inline constexpr UINT kDefaultDpi = 96;

// The DPI the window is drawn at: its monitor's for a per-monitor aware thread, the system's for a
// system-aware one, 96 for one that is not aware (the system stretches it); the system's on systems
// before Windows 10 1607.
UINT DpiOfWindow(HWND window);

// Grows `rect` (a client area) to the window rectangle of that style at `dpi`: the frame and the
// caption are as wide as the system draws them there.
void AdjustFrameForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);

// Keeps the dialog manager from resizing a dialog and moving its controls itself when the DPI
// changes (per-monitor aware dialogs, Windows 10 1703 and later), for a dialog that places everything
// itself.
void KeepDialogLayout(HWND dialog);

// The calling thread's DPI awareness context (null where there is none to read), and entering one on
// the calling thread, so that a window made on a thread of the library behaves as one the host makes.
HANDLE CurrentDpiContext();
void EnterDpiContext(HANDLE context);

}  // namespace tessaly::platform::win32
