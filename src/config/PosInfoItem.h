#pragma once
// A placement entry of a section's "PosInfo" list.
#include <string>

#include "config/ConfigTypes.h"

namespace tessaly {

struct PosInfoItem {
    ZelRect rcPos;                // from "Pos" (x,y,width,height); 0 for numbers that are missing
    ZelColor crColor = kNoColor;   // from "Color"; kNoColor when absent, empty or not a number
    std::u16string strItemID;      // the entry's id, also its key in the map
};

}  // namespace tessaly
