#pragma once
// The skin's font record: its face name field.
#include <string_view>

#include "config/WindowFont.h"

namespace tessaly {

// Pixel size used when a font leaves its height to the system.
inline constexpr int kDefaultFontPixels = 12;

// Copies a face name into the record's field, cut to the field's 31 characters.
void SetFontFace(WindowFont& font, std::u16string_view face);

}  // namespace tessaly
