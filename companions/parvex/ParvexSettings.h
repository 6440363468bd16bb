#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace parvex {

// Reads one value from INI text with the usual profile rules: section and key names compare without
// regard to case, the first match wins, the value is trimmed and one pair of surrounding quotes is
// dropped. Lines starting with ';' or '#' are comments. nullopt when the key is absent.
std::optional<std::string> FindIniValue(std::string_view text, std::string_view section, std::string_view key);

// The same, reading the file at `path` (UTF-8, or UTF-16 after its byte order mark); a missing or
// unreadable file gives nullopt.
std::optional<std::string> ReadIniValue(const std::filesystem::path& path, std::string_view section, std::string_view key);

}  // namespace parvex
