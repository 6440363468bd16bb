#include "controls/LogFont.h"

namespace tessaly {

void SetFontFace(WindowFont& font, std::u16string_view face)
{
    font.strFaceName = std::u16string(face.substr(0, WindowFont::kMaxFaceName));
}

}  // namespace tessaly
