#include "config/DynamicItem.h"

namespace tessaly {

void DynamicItem::Reset()
{
    const std::int32_t drawFocus = nDrawFocus;
    const std::int32_t controlType = nControlType;
    *this = DynamicItem();
    nDrawFocus = drawFocus;
    nControlType = controlType;
}

}  // namespace tessaly
