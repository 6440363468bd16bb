#pragma once
// Reading and replacing the host's strings (NULL or a malloc'ed UTF-16 buffer).
#include <string>
#include <string_view>

#include <tessaly/tessaly.h>

namespace tessaly {

std::u16string ReadHostString(const TessalyChar* text);

// Frees the old buffer and stores a copy of `text` (NULL for empty text). Throws std::bad_alloc
// when memory ran out; the old value is then kept.
void WriteHostString(TessalyString* target, std::u16string_view text);

}  // namespace tessaly
