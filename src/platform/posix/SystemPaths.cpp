#include "platform/FilePaths.h"

namespace tessaly::platform {

const char16_t kPathSeparator = u'/';

bool IsAbsolutePath(std::u16string_view path)
{
    return !path.empty() && path.front() == u'/';
}

}  // namespace tessaly::platform
