#include "login/HostStrings.h"

#include <new>

namespace tessaly {

std::u16string ReadHostString(const TessalyChar* text)
{
    return text ? std::u16string(text, TessalyStringLength(text)) : std::u16string();
}

void WriteHostString(TessalyString* target, std::u16string_view text)
{
    if (TessalyStringSetN(target, text.data(), text.size()) != 0)
        throw std::bad_alloc();
}

}  // namespace tessaly
