#include "support/WideText.h"

#include <algorithm>
#include <limits>

#include "platform/TextEncoding.h"

namespace tessaly {

namespace {

bool IsSpace(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

int HexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

}  // namespace

std::string ToUtf8(std::u16string_view text) { return platform::Utf16ToUtf8(text); }

std::u16string FromUtf8(std::string_view text) { return platform::Utf8ToUtf16(text); }

std::u16string AsciiLower(std::u16string_view text)
{
    std::u16string lower(text);
    for (char16_t& c : lower)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c + 32);
    return lower;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) { return platform::EqualsAsciiNoCase(a, b); }

namespace {

// Skips leading white space and an optional sign, as the C library's number readers do; true when
// the sign was '-'.
bool SkipSpaceAndSign(std::u16string_view text, std::size_t& i)
{
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        return text[i++] == u'-';
    return false;
}

}  // namespace

std::int32_t WToI(std::u16string_view text)
{
    std::size_t i = 0;
    const bool negative = SkipSpaceAndSign(text, i);
    constexpr std::int64_t kLimit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min<std::int64_t>(value * 10 + (text[i] - u'0'), kLimit);
    if (negative)
        return static_cast<std::int32_t>(-value);
    return static_cast<std::int32_t>(std::min<std::int64_t>(value, kLimit - 1));
}

bool StartsWithDecimal(std::u16string_view text)
{
    std::size_t i = 0;
    SkipSpaceAndSign(text, i);
    return i < text.size() && text[i] >= u'0' && text[i] <= u'9';
}

bool ScanHex(std::u16string_view text, std::uint32_t& out)
{
    std::size_t i = 0;
    const bool negative = SkipSpaceAndSign(text, i);
    // "0x" counts as a prefix only when a hexadecimal digit follows; otherwise the "0" is the number.
    if (i + 2 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') &&
        HexDigit(text[i + 2]) >= 0)
        i += 2;
    if (i >= text.size() || HexDigit(text[i]) < 0)
        return false;
    std::uint64_t value = 0;
    for (; i < text.size() && HexDigit(text[i]) >= 0; ++i)
        value = std::min<std::uint64_t>(value * 16 + static_cast<unsigned>(HexDigit(text[i])), 0xFFFFFFFFu);
    out = negative ? static_cast<std::uint32_t>(0u - static_cast<std::uint32_t>(value)) : static_cast<std::uint32_t>(value);
    return true;
}

std::u16string ToWide(long long value)
{
    const bool negative = value < 0;
    unsigned long long magnitude = negative ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative)
        digits.insert(digits.begin(), u'-');
    return digits;
}

}  // namespace tessaly
