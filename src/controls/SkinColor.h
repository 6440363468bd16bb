#pragma once
// Colour values of the skin: 32 bits with red in the lowest byte, then green, then blue; kNoColor
// (all ones) means "no colour given".
#include <cairo.h>

#include "config/ConfigTypes.h"

namespace tessaly {

inline constexpr ZelColor kButtonFace = 0xF0F0F0u;
inline constexpr ZelColor kWindowText = 0x000000u;
inline constexpr ZelColor kFocusLight = 0xFFFFFFu;  // the light dots of the focus mark
inline constexpr ZelColor kGrayText = 0x808080u;
inline constexpr ZelColor kMagenta = 0xFF00FFu;

constexpr ZelColor MakeZelColor(unsigned red, unsigned green, unsigned blue)
{
    return (red & 0xFFu) | ((green & 0xFFu) << 8) | ((blue & 0xFFu) << 16);
}
constexpr unsigned RedOf(ZelColor c) { return c & 0xFFu; }
constexpr unsigned GreenOf(ZelColor c) { return (c >> 8) & 0xFFu; }
constexpr unsigned BlueOf(ZelColor c) { return (c >> 16) & 0xFFu; }

inline void SetSourceZelColor(cairo_t* cr, ZelColor color)
{
    cairo_set_source_rgb(cr, RedOf(color) / 255.0, GreenOf(color) / 255.0, BlueOf(color) / 255.0);
}

}  // namespace tessaly
