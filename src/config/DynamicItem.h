#pragma once
// One item of a label, button or picture group of the skinned dialog, or of a section's "DynamicInfo"
// list: a control made at run time. Move-only, because it owns the control and the drawing resource attached to it.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "config/COwnedObject.h"
#include "config/ConfigTypes.h"

namespace tessaly {

struct DynamicItem {
    std::u16string strName;                 // "Name", "CRLF" turned into a line break
    std::u16string strID;                   // "ID"
    std::u16string strFontName;             // "FontName"
    std::u16string strDllName;              // "DllName", kept only
    std::u16string strFunName;              // "FunName", kept only
    std::u16string strCursor;               // full path, empty when none
    std::array<std::u16string, 4> strImage; // full paths: [0] Out, [1] In, [2] Select, [3] Disable
    std::u16string strIcon;                 // full path, empty when none
    ZelColor crFontColor = 0;
    ZelRect rcPos;
    std::int32_t nFontSize = 0;
    std::int32_t nFontWeight = 0;
    std::int32_t nUnderLine = 0;
    std::int32_t nCtrlID = -1;              // -1: no command id given (or no control made) yet
    std::int32_t nFontCharSet = 0;
    std::int32_t nDrawFocus = 0;
    std::int32_t nControlType = 0;          // "ControlType"; read for "DynamicInfo" items only
    std::unique_ptr<COwnedObject> pCtrl;    // control made for the item
    std::unique_ptr<COwnedObject> hGdiObj;  // drawing resource of the item

    DynamicItem() = default;
    DynamicItem(DynamicItem&&) noexcept = default;
    DynamicItem& operator=(DynamicItem&&) noexcept = default;
    // The control goes before the resource it may still be using.
    ~DynamicItem()
    {
        pCtrl.reset();
        hGdiObj.reset();
    }

    // Back to the defaults, releasing anything attached; nDrawFocus and nControlType are kept because
    // the readers set them for every item.
    void Reset();
};

}  // namespace tessaly
