#pragma once
// Colour values of the skin: 32 bits with red in the lowest byte, then green, then blue; kNoColor
// (all ones) means "no colour given".
#include "config/ConfigTypes.h"

namespace tessaly {

inline constexpr ZelColor kButtonFace = 0xF0F0F0u;
inline constexpr ZelColor kWindowText = 0x000000u;
inline constexpr ZelColor kFocusLight = 0xFFFFFFu;  // the light dots of the focus mark
inline constexpr ZelColor kGrayText = 0x808080u;
inline constexpr ZelColor kMagenta = 0xFF00FFu;
inline constexpr ZelColor kWhite = 0xFFFFFFu;

constexpr ZelColor MakeZelColor(unsigned red, unsigned green, unsigned blue)
{
    return (red & 0xFFu) | ((green & 0xFFu) << 8) | ((blue & 0xFFu) << 16);
}

constexpr unsigned RedOf(ZelColor c) { return c & 0xFFu; }
constexpr unsigned GreenOf(ZelColor c) { return (c >> 8) & 0xFFu; }
constexpr unsigned BlueOf(ZelColor c) { return (c >> 16) & 0xFFu; }

}  // namespace tessaly
