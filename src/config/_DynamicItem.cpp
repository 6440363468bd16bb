#include "config/_DynamicItem.h"

namespace tessaly {

void _DynamicItem::Reset()
{
    const std::int32_t drawFocus = nDrawFocus;
    *this = _DynamicItem();
    nDrawFocus = drawFocus;
}

}  // namespace tessaly
