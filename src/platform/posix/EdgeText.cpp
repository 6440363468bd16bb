#include "platform/TextEncoding.h"

namespace tessaly::platform {

std::string ToEdgeText(std::u16string_view text)
{
    return Utf16ToUtf8(text);
}

std::u16string FromEdgeText(std::string_view text)
{
    return Utf8ToUtf16(text);
}

}  // namespace tessaly::platform
