#pragma once
// The completion signal a page gives: two fixed marker strings somewhere in the body's markup.
#include <string_view>

namespace tessaly {

inline constexpr std::u16string_view kReplyStartMarker = u"<<<617458A4-8957-4a97-A646-AACC83D5DD38";
inline constexpr std::u16string_view kReplyEndMarker = u"617458A4-8957-4a97-A646-AACC83D5DD38>>>";

// True when both markers occur in `text` (exact, case-sensitive; order and the text between them
// do not matter). The window posts WM_PRELOGIN_CLOSE to itself when this is true.
bool FindReplyMarkers(std::u16string_view text);

}  // namespace tessaly
