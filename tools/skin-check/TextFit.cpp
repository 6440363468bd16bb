#include "TextFit.h"

#include "controls/LogFont.h"
#include "toolkit/gtk/FontDescription.h"
#include "toolkit/gtk/TextDrawing.h"

namespace tessaly::skincheck {
namespace {

// Wide enough that no caption wraps.
constexpr int kNoWrap = 1 << 20;

TextExtent Measure(std::u16string_view text, int width, const WindowFont& font)
{
    const FontDescPtr description = MakeFontDescription(font);
    ZelRect line;
    MeasureTextRect(u"Ag", kNoWrap, &line, description.get());
    ZelRect all;
    MeasureTextRect(text, width, &all, description.get());
    return {line.Height(), all.Width(), all.Height()};
}

}  // namespace

TextExtent MeasureOneLine(std::u16string_view text, const WindowFont& font)
{
    return Measure(text, kNoWrap, font);
}

TextExtent MeasureWrapped(std::u16string_view text, int width, const WindowFont& font)
{
    return Measure(text, width, font);
}

}  // namespace tessaly::skincheck
