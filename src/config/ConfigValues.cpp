#include "config/ConfigValues.h"

#include <algorithm>
#include <array>
#include <limits>

#include "platform/FilePaths.h"
#include "support/WideText.h"

namespace tessaly::config {
namespace {

bool IsSpace(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

std::int32_t Saturate(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// One "%d" conversion at `pos`; advances `pos` past it. False when no digit follows.
bool ScanDecimal(std::u16string_view text, std::size_t& pos, std::int32_t& value)
{
    std::size_t i = pos;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    if (i >= text.size() || !IsDigit(text[i]))
        return false;
    std::int64_t magnitude = 0;
    constexpr std::int64_t kCap = std::int64_t{1} << 33;  // anything beyond 32 bits saturates anyway
    for (; i < text.size() && IsDigit(text[i]); ++i)
        magnitude = std::min(kCap, magnitude * 10 + (text[i] - u'0'));
    value = Saturate(negative ? -magnitude : magnitude);
    pos = i;
    return true;
}

std::u16string RemoveSpaces(std::u16string_view text)
{
    std::u16string result;
    result.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(result), [](char16_t c) { return c != u' '; });
    return result;
}

}  // namespace

std::u16string ReplaceCrlf(std::u16string text)
{
    constexpr std::u16string_view kMarker = u"CRLF";
    std::size_t pos = 0;
    while ((pos = text.find(kMarker, pos)) != std::u16string::npos) {
        text.replace(pos, kMarker.size(), u"\r\n");
        pos += 2;
    }
    return text;
}

std::size_t ScanDecimalList(std::u16string_view text, std::span<std::int32_t> out)
{
    std::size_t pos = 0;
    std::size_t count = 0;
    while (count < out.size()) {
        if (count > 0) {
            if (pos >= text.size() || text[pos] != u',')
                break;
            ++pos;
        }
        if (!ScanDecimal(text, pos, out[count]))
            break;
        ++count;
    }
    return count;
}

ZelRect ReadRect(std::u16string_view text)
{
    std::array<std::int32_t, 4> v{};
    ScanDecimalList(RemoveSpaces(text), v);
    ZelRect rect;
    rect.left = v[0];
    rect.top = v[1];
    rect.right = Saturate(std::int64_t{v[0]} + v[2]);
    rect.bottom = Saturate(std::int64_t{v[1]} + v[3]);
    return rect;
}

void ReadSize(std::u16string_view text, std::int32_t& width, std::int32_t& height)
{
    std::array<std::int32_t, 2> v{};
    ScanDecimalList(RemoveSpaces(text), v);
    width = v[0];
    height = v[1];
}

ZelColor ReadColor(std::u16string_view text, ZelColor fallback)
{
    std::uint32_t value = 0;
    return ScanHex(text, value) ? value : fallback;
}

std::u16string ConfigFile(std::u16string_view folder, std::u16string_view relative)
{
    if (relative.empty())
        return {};
    return platform::JoinConfigPath(folder, relative);
}

}  // namespace tessaly::config
