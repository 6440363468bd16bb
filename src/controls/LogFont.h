#pragma once
// Turning the font record of the skin into a Pango font description.
#include <string_view>

#include "config/WindowFont.h"
#include "controls/GuiHandles.h"

namespace tessaly {

// Pixel size used when a font leaves its height to the system.
inline constexpr int kDefaultFontPixels = 12;

// Copies a face name into the record's field, cut to the field's 31 characters.
void SetFontFace(WindowFont& font, std::u16string_view face);

// A Pango description for the font: a negative height is a character height in pixels, a positive
// one taken as the same size, 0 the default; weight 0 is normal. The face falls back to sans.
FontDescPtr MakeFontDescription(const WindowFont& font);

}  // namespace tessaly
