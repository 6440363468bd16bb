#include "redirect/worker/ReplyMarkers.h"

namespace tessaly {

bool FindReplyMarkers(std::u16string_view text)
{
    return text.find(kReplyStartMarker) != std::u16string_view::npos &&
           text.find(kReplyEndMarker) != std::u16string_view::npos;
}

}  // namespace tessaly
