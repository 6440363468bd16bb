#pragma once
// How much room a control's text takes, laid out with the library's own text code and fonts.
#include <string>

#include "config/WindowFont.h"

namespace tessaly::skincheck {

struct TextExtent {
    int lineHeight = 0;  // one line of the font
    int width = 0;       // the widest line
    int height = 0;      // all lines
};

// The text on one line per line break it holds (a button's caption).
TextExtent MeasureOneLine(std::u16string_view text, const WindowFont& font);
// The text wrapped at word boundaries to `width`, as a label draws it.
TextExtent MeasureWrapped(std::u16string_view text, int width, const WindowFont& font);

}  // namespace tessaly::skincheck
