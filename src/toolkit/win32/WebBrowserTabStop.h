#pragma once
// What a TabStop of the Windows toolkit refers to: the window that takes the focus.
#include "toolkit/win32/Win32Toolkit.h"
