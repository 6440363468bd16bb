#pragma once
// One item of a "DynamicInfo" list as read by the configuration base: a control that may be made
// at run time. Move-only, because it owns the control and the drawing resource attached to it.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "config/COwnedObject.h"
#include "config/ConfigTypes.h"

namespace tessaly {

struct _XmlDynamicItem {
    std::u16string strName;                 // "Name", "CRLF" turned into a line break
    std::u16string strID;                   // "ID"
    std::u16string strFontName;             // "FontName"
    std::u16string strDllName;              // "DllName", kept only
    std::u16string strFunName;              // "FunName", kept only
    std::u16string strCursor;               // full path, empty when none
    std::array<std::u16string, 4> strImage; // full paths: [0] Out, [1] In, [2] Select, [3] Disable
    std::u16string strIcon;                 // full path, empty when none
    ZelColor crFontColor = 0;
    _ZelRect rcPos;
    std::int32_t nFontSize = 0;
    std::int32_t nFontWeight = 0;
    std::int32_t nUnderLine = 0;
    std::int32_t nCtrlID = -1;              // -1: no control made yet
    std::int32_t nFontCharSet = 0;
    std::unique_ptr<COwnedObject> pCtrl;    // control made for the item
    std::unique_ptr<COwnedObject> hGdiObj;  // drawing resource of the item
    std::int32_t nControlType = 0;
    std::int32_t nDrawFocus = 0;

    _XmlDynamicItem() = default;
    _XmlDynamicItem(_XmlDynamicItem&&) noexcept = default;
    _XmlDynamicItem& operator=(_XmlDynamicItem&&) noexcept = default;
    // The control goes before the resource it may still be using.
    ~_XmlDynamicItem()
    {
        pCtrl.reset();
        hGdiObj.reset();
    }

    // Back to the defaults, releasing anything attached; nControlType and nDrawFocus are kept because
    // the reader sets them for every item.
    void Reset();
};

}  // namespace tessaly
