#include "ParvexSettings.h"

#include "Utf16.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace parvex {
namespace {

// Settings files are a few hundred bytes; anything larger is not ours to read.
constexpr std::streamsize kMaxSettingsBytes = 1 << 20;

std::string_view Trim(std::string_view s)
{
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view Unquote(std::string_view v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// Windows' profile functions also keep settings files in UTF-16 (little-endian, after its byte order
// mark); such a file is read as its UTF-8 text. Anything else is taken as UTF-8 already.
std::string FromUtf16File(const std::string& bytes)
{
    if (bytes.size() < 2 || bytes[0] != '\xFF' || bytes[1] != '\xFE')
        return bytes;
    std::u16string text((bytes.size() - 2) / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                        static_cast<unsigned char>(bytes[3 + 2 * i]) << 8);
    return companion::ToUtf8(text);
}

}  // namespace

std::optional<std::string> FindIniValue(std::string_view text, std::string_view section, std::string_view key)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    bool inSection = false;
    while (!text.empty()) {
        const auto eol = text.find('\n');
        const std::string_view line = Trim(text.substr(0, eol));
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            const auto close = line.find(']');
            inSection = close != std::string_view::npos && SameName(Trim(line.substr(1, close - 1)), section);
            continue;
        }
        const auto eq = line.find('=');
        if (inSection && eq != std::string_view::npos && SameName(Trim(line.substr(0, eq)), key))
            return std::string(Unquote(Trim(line.substr(eq + 1))));
    }
    return std::nullopt;
}

std::optional<std::string> ReadIniValue(const std::filesystem::path& path, std::string_view section, std::string_view key)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text(static_cast<std::size_t>(kMaxSettingsBytes) + 1, '\0');
    in.read(text.data(), kMaxSettingsBytes + 1);
    const auto got = in.gcount();
    if (got > kMaxSettingsBytes)
        return std::nullopt;
    text.resize(static_cast<std::size_t>(got));
    return FindIniValue(FromUtf16File(text), section, key);
}

}  // namespace parvex
