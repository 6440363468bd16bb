#pragma once
// Laying out and drawing text with Pango the way the skin's format flags describe: word wrap,
// single line, horizontal alignment, vertical centring on single lines, clipping to the rectangle.
#include <cairo.h>
#include <pango/pango.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "config/ConfigTypes.h"
#include "controls/SkinColor.h"
#include "controls/TextFormat.h"

namespace tessaly {

// A file name from configuration as the file system wants it: UTF-8, backslashes read as '/'.
std::string FileSystemName(std::u16string_view path);

// Draws `text` inside `rect` with the font, underline, format flags and colour given.
void DrawTextInRect(cairo_t* cr, std::u16string_view text, const PangoFontDescription* font, bool underline,
                    const ZelRect& rect, std::uint32_t format, ZelColor color);

// Lays the text out wrapped at word boundaries to `width` without drawing it: `rect` becomes
// 0, 0, widest line, total height. With `cr` null a private scratch surface is used.
void MeasureTextRect(std::u16string_view text, int width, ZelRect* rect, const PangoFontDescription* font,
                     cairo_t* cr = nullptr);

}  // namespace tessaly
