#include "config/_XmlDynamicItem.h"

namespace tessaly {

void _XmlDynamicItem::Reset()
{
    const std::int32_t controlType = nControlType;
    const std::int32_t drawFocus = nDrawFocus;
    *this = _XmlDynamicItem();
    nControlType = controlType;
    nDrawFocus = drawFocus;
}

}  // namespace tessaly
