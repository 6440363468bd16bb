#pragma once
// Conversions between the module's wide text (UTF-16) and the narrow text (UTF-8) used at the edges,
// plus the small number readers that every configuration reader shares.
#include <cstdint>
#include <string>
#include <string_view>

namespace tessaly {

// UTF-16 -> UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// UTF-8 -> UTF-16; every invalid or truncated sequence becomes U+FFFD.
std::u16string FromUtf8(std::string_view text);

// ASCII-only case folding and comparison (names in configuration files are ASCII).
std::u16string AsciiLower(std::u16string_view text);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);

// Reads like _wtoi: optional leading white space, optional sign, digits up to the first other
// character; 0 when there are no digits. Saturates instead of overflowing.
std::int32_t WToI(std::u16string_view text);

// True when `text` holds a number WToI reads from digits rather than defaulting to 0: optional
// leading white space and sign, then at least one decimal digit.
bool StartsWithDecimal(std::u16string_view text);

// Reads one hexadecimal number like scanf("%X"): leading white space and an optional 0x/0X prefix
// are accepted. False (and `out` unchanged) when there is no hexadecimal digit.
bool ScanHex(std::u16string_view text, std::uint32_t& out);

// Decimal text of a number.
std::u16string ToWide(long long value);

}  // namespace tessaly
