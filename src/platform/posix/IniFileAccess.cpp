// INI files on Linux: the project's own text engine.
#include "platform/IniFile.h"

namespace tessaly::platform {

std::u16string ReadProfileString(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view defaultValue, const std::u16string& path, std::size_t capacity)
{
    return ReadProfileStringFromFile(section, key, defaultValue, path, capacity);
}

bool WriteProfileEntry(std::u16string_view section, std::u16string_view key, std::u16string_view value,
                        const std::u16string& path)
{
    return WriteProfileStringToFile(section, key, value, path);
}

}  // namespace tessaly::platform
