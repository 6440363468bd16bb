#pragma once
// What a TabStop of the Windows toolkit refers to: the window that takes the focus.
#include <windows.h>

#if __has_include("toolkit/win32/Win32Toolkit.h")
#include "toolkit/win32/Win32Toolkit.h"
#else
namespace tessaly::toolkit {
struct TabStopData {
    HWND window;
};
}  // namespace tessaly::toolkit
#endif
