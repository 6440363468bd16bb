#pragma once
// Text-to-value rules shared by the section readers.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "config/ConfigTypes.h"

namespace tessaly::config {

// Every "CRLF" (exact case) becomes a carriage return and a line feed.
std::u16string ReplaceCrlf(std::u16string text);

// Reads decimals separated by single commas like scanf("%d,%d,..."): each number may have leading
// white space and a sign; reading stops at the first mismatch. Returns how many were read into `out`;
// the others are left as they were. Values beyond 32 bits saturate.
std::size_t ScanDecimalList(std::u16string_view text, std::span<std::int32_t> out);

// "x,y,width,height" with every space (U+0020) removed first, into left, top, right, bottom.
// Numbers that are missing read as 0.
ZelRect ReadRect(std::u16string_view text);

// "width,height" with spaces removed; missing numbers read as 0.
void ReadSize(std::u16string_view text, std::int32_t& width, std::int32_t& height);

// One hexadecimal number like scanf("%X"); `fallback` when the text holds none.
ZelColor ReadColor(std::u16string_view text, ZelColor fallback);

// folder + relative name (a backslash in the name is a folder separator); empty for an empty name.
std::u16string ConfigFile(std::u16string_view folder, std::u16string_view relative);

}  // namespace tessaly::config
