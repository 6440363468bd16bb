#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace companion {

// Length of a NUL-terminated UTF-16 string, giving up (nullopt) beyond `limit` units so that a
// missing terminator cannot make us walk off into unrelated memory forever.
inline std::optional<std::size_t> BoundedLength(const char16_t* text, std::size_t limit)
{
    if (!text)
        return std::nullopt;
    for (std::size_t n = 0; n <= limit; ++n)
        if (text[n] == 0)
            return n;
    return std::nullopt;
}

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
inline std::string ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

// UTF-8 to UTF-16; malformed sequences become U+FFFD.
inline std::u16string FromUtf8(std::string_view text)
{
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        std::uint32_t cp = 0xFFFD;
        std::size_t used = 1;
        if (len == 1) {
            cp = c;
        } else if (len > 1 && i + len <= text.size()) {
            std::uint32_t v = len == 2 ? (c & 0x1Fu) : len == 3 ? (c & 0x0Fu) : (c & 0x07u);
            bool ok = true;
            for (std::size_t k = 1; k < len && ok; ++k) {
                const auto cc = static_cast<unsigned char>(text[i + k]);
                ok = (cc & 0xC0) == 0x80;
                v = (v << 6) | (cc & 0x3Fu);
            }
            const bool overlong = (len == 2 && v < 0x80) || (len == 3 && v < 0x800) || (len == 4 && v < 0x10000);
            if (ok && !overlong && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF)) {
                cp = v;
                used = len;
            }
        }
        i += used;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

// Copies `value` and its terminator into a caller's buffer of `capacity` units. Identifiers are
// useless when cut short, so a value that does not fit is refused: the buffer then holds the empty
// string (when it has room for one) and the result is false.
inline bool CopyOut(std::u16string_view value, char16_t* buffer, int capacity)
{
    if (!buffer || capacity <= 0)
        return false;
    if (value.size() + 1 > static_cast<std::size_t>(capacity)) {
        buffer[0] = 0;
        return false;
    }
    value.copy(buffer, value.size());
    buffer[value.size()] = 0;
    return true;
}

}  // namespace companion
