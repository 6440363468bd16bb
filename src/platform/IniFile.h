#pragma once
// INI ("private profile") files with the Windows rules: section and key names without regard to
// case, values trimmed of surrounding white space, the default when the file, section or key is
// missing, the value cut to the caller's buffer. On Windows the system's own profile functions do
// the work; on Linux the project's text engine below (files in UTF-8; a UTF-8 or UTF-16LE byte-order
// mark is honoured on reading). Both refuse to write a name or value that would break the file's
// line structure.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::platform {

// `capacity` counts characters including the terminator, so at most capacity - 1 are returned
// (0 returns empty text).
std::u16string ReadProfileString(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view defaultValue, const std::u16string& path,
                                 std::size_t capacity);

// The text engine's reading over text already in memory.
std::u16string ReadProfileStringFromText(std::string_view fileText, std::u16string_view section,
                                         std::u16string_view key, std::u16string_view defaultValue,
                                         std::size_t capacity);

// One line of an INI text as the reader takes it, for tools that report on a file line by line.
struct ProfileLine {
    enum class Kind { kBlank, kComment, kSection, kEntry, kOther };
    Kind kind = Kind::kBlank;
    std::size_t number = 1;  // 1-based
    std::u16string text;     // the line without its ending
    std::u16string name;     // a section's name or an entry's key, trimmed
    std::u16string value;    // an entry's value, trimmed and unquoted as the reader returns it
};
// Every line of the text (decoded as the reader decodes it) in order.
std::vector<ProfileLine> ListProfileLines(std::string_view fileText);

// Sets key = value in section, creating the file, the section or the key as needed and keeping every
// other line as it was. Returns false when the file cannot be written or the entry is not writable.
bool WriteProfileEntry(std::u16string_view section, std::u16string_view key, std::u16string_view value,
                        const std::u16string& path);

// False for an entry that would break the file's line structure: an empty section or key, a line
// break anywhere, ']' in the section, '=' in the key, a key starting like a section or a comment.
// `section` and `key` are taken trimmed.
bool IsWritableProfileEntry(std::u16string_view section, std::u16string_view key, std::u16string_view value);

// The text engine's file functions: what ReadProfileString and WriteProfileEntry do on Linux. The
// writer replaces the file through a temporary file and a rename and never replaces a file it could
// not read whole.
std::u16string ReadProfileStringFromFile(std::u16string_view section, std::u16string_view key,
                                         std::u16string_view defaultValue, const std::u16string& path,
                                         std::size_t capacity);
bool WriteProfileStringToFile(std::u16string_view section, std::u16string_view key, std::u16string_view value,
                              const std::u16string& path);

}  // namespace tessaly::platform
