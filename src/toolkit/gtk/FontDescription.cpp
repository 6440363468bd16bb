#include "toolkit/gtk/FontDescription.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "controls/LogFont.h"
#include "support/WideText.h"
#include "toolkit/Font.h"
#include "toolkit/gtk/GtkTypes.h"

namespace tessaly {

FontDescPtr MakeFontDescription(const WindowFont& font)
{
    FontDescPtr desc(pango_font_description_new());
    // The named face first, the system's sans face as the fallback for missing glyphs or faces.
    std::string family = ToUtf8(font.strFaceName);
    family = family.empty() ? std::string("Sans") : family + ",Sans";
    pango_font_description_set_family(desc.get(), family.c_str());
    const int pixels = font.nHeight == 0 ? kDefaultFontPixels : std::abs(font.nHeight);
    pango_font_description_set_absolute_size(desc.get(), static_cast<double>(pixels) * PANGO_SCALE);
    const int weight = font.nWeight <= 0 ? 400 : std::clamp(font.nWeight, 100, 1000);
    pango_font_description_set_weight(desc.get(), static_cast<PangoWeight>(weight));
    return desc;
}

namespace toolkit {

Font MakeFont(const WindowFont& record)
{
    auto data = std::make_shared<FontData>();
    data->description = MakeFontDescription(record);
    return Font(std::move(data));
}

}  // namespace toolkit
}  // namespace tessaly
