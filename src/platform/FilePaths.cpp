#include "platform/FilePaths.h"

namespace tessaly::platform {

std::u16string NativeRelativePath(std::u16string_view configured)
{
    std::u16string native(configured);
    for (char16_t& unit : native)
        if (unit == u'\\' || unit == u'/')
            unit = kPathSeparator;
    return native;
}

std::u16string JoinConfigPath(std::u16string_view folder, std::u16string_view relative)
{
    std::u16string joined(folder);
    joined += NativeRelativePath(relative);
    return joined;
}

}  // namespace tessaly::platform
