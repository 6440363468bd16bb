#pragma once

#include <string>
#include <string_view>

namespace tessaly::host {

// Returns `text` with `key` of `section` set to `value`: the first matching key line of the first
// matching section is rewritten (names compare without regard to case), otherwise the key is added
// at the end of the section, or a new section is appended. Every other line is kept as it was,
// line endings included.
std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value);

}  // namespace tessaly::host
