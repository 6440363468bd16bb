#pragma once
// INI ("private profile") files with the Windows rules: section and key names without regard to
// case, values trimmed of surrounding white space, the default when the file, section or key is
// missing, the value cut to the caller's buffer. Files are UTF-8 (a UTF-8 or UTF-16LE byte-order
// mark is honoured on reading).
#include <cstddef>
#include <string>
#include <string_view>

namespace tessaly::platform {

// `capacity` counts characters including the terminator, so at most capacity - 1 are returned
// (0 returns empty text).
std::u16string ReadProfileString(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view defaultValue, const std::u16string& path,
                                 std::size_t capacity);

// Same rules over text already in memory.
std::u16string ReadProfileStringFromText(std::string_view fileText, std::u16string_view section,
                                         std::u16string_view key, std::u16string_view defaultValue,
                                         std::size_t capacity);

// Sets key = value in section, creating the file, the section or the key as needed and keeping every
// other line as it was. Returns false when the file cannot be written.
bool WriteProfileString(std::u16string_view section, std::u16string_view key, std::u16string_view value,
                        const std::u16string& path);

}  // namespace tessaly::platform
