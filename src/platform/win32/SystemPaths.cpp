#include "platform/FilePaths.h"

namespace tessaly::platform {

const char16_t kPathSeparator = u'\\';

bool IsAbsolutePath(std::u16string_view path)
{
    const auto isSlash = [](char16_t unit) { return unit == u'\\' || unit == u'/'; };
    if (path.size() >= 3 && ((path[0] | 0x20) >= u'a' && (path[0] | 0x20) <= u'z') && path[1] == u':' && isSlash(path[2]))
        return true;
    return path.size() >= 3 && isSlash(path[0]) && isSlash(path[1]) && !isSlash(path[2]);  // \\server\share
}

}  // namespace tessaly::platform
