#pragma once
// Turning the skin's font record into a Pango font description.
#include "config/WindowFont.h"
#include "toolkit/gtk/GuiHandles.h"

namespace tessaly {

// A negative height is a character height in pixels, a positive one taken as the same size, 0 the
// default; weight 0 is normal. The face falls back to sans.
FontDescPtr MakeFontDescription(const WindowFont& font);

}  // namespace tessaly
