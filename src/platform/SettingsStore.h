#pragma once
// The system-wide settings store: the registry's HKEY_LOCAL_MACHINE on Windows; on Linux one
// REGEDIT4-style ".reg" text file standing in for it (default /etc/tessaly/registry.reg;
// TESSALY_REGISTRY names another file).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tessaly::platform {

// A string value ("Name"="text") or a 32-bit number ("Name"=dword:0000001f). Values of any other
// type read as no value.
using SettingValue = std::variant<std::u16string, std::uint32_t>;

// Reads value `name` of key `key` (e.g. u"SOFTWARE\\pelmorix\\Orvane3.0"); key and value names
// compare without regard to case. "@" or an empty name is the key's default value.
std::optional<SettingValue> ReadSetting(std::u16string_view key, std::u16string_view name);

// The look-up of the Linux store over the text of a .reg file (UTF-8, or UTF-16LE with a byte-order
// mark).
std::optional<SettingValue> FindSettingInText(std::string_view fileText, std::u16string_view key,
                                              std::u16string_view name);

}  // namespace tessaly::platform
