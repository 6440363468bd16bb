#include "platform/SettingsStore.h"

#include <vector>

#include "platform/FileIO.h"
#include "platform/TextEncoding.h"

namespace tessaly::platform {

namespace {

// One logical line of the file: continuation lines (a physical line ending in '\') are joined.
std::vector<std::u16string> LogicalLines(std::u16string_view text)
{
    std::vector<std::u16string> lines;
    std::u16string pending;
    while (!text.empty()) {
        const auto newline = text.find(u'\n');
        std::u16string_view line = TrimBlanks(text.substr(0, newline));
        text = newline == std::u16string_view::npos ? std::u16string_view() : text.substr(newline + 1);
        if (!line.empty() && line.back() == u'\\' && line.front() != u'[') {
            pending += line.substr(0, line.size() - 1);
            continue;
        }
        pending += line;
        lines.push_back(std::move(pending));
        pending.clear();
    }
    if (!pending.empty())
        lines.push_back(std::move(pending));
    return lines;
}

std::u16string_view StripSeparators(std::u16string_view key)
{
    while (!key.empty() && key.front() == u'\\')
        key.remove_prefix(1);
    while (!key.empty() && key.back() == u'\\')
        key.remove_suffix(1);
    return key;
}

// "[HKEY_LOCAL_MACHINE\a\b]" -> "a\b". Nothing for another root, a deletion "[-...]" or a bad line.
std::optional<std::u16string> MachineKeyOf(std::u16string_view header)
{
    if (header.size() < 2 || header.back() != u']')
        return std::nullopt;
    const std::u16string_view inner = TrimBlanks(header.substr(1, header.size() - 2));
    if (inner.empty() || inner.front() == u'-')
        return std::nullopt;
    const auto slash = inner.find(u'\\');
    const std::u16string_view root = inner.substr(0, slash);
    if (!EqualsAsciiNoCase(root, u"HKEY_LOCAL_MACHINE") && !EqualsAsciiNoCase(root, u"HKLM"))
        return std::nullopt;
    return std::u16string(slash == std::u16string_view::npos ? std::u16string_view() : StripSeparators(inner.substr(slash)));
}

// Reads a quoted string at text[0] with the \\ and \" escapes; advances `text` past it.
std::optional<std::u16string> TakeQuoted(std::u16string_view& text)
{
    if (text.empty() || text.front() != u'"')
        return std::nullopt;
    std::u16string value;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'"') {
            text.remove_prefix(i + 1);
            return value;
        }
        if (c == u'\\' && i + 1 < text.size() && (text[i + 1] == u'\\' || text[i + 1] == u'"'))
            ++i;
        value += text[i];
    }
    return std::nullopt;
}

std::optional<std::uint32_t> ParseDword(std::u16string_view digits)
{
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char16_t c : digits) {
        unsigned digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return std::nullopt;
        value = (value << 4) | digit;
    }
    return value;
}

struct ValueLine {
    std::u16string name;  // "@" for the default value
    std::optional<SettingValue> value;  // nothing: deleted or of another type
};

std::optional<ValueLine> ParseValueLine(std::u16string_view line)
{
    ValueLine parsed;
    if (!line.empty() && line.front() == u'@') {
        parsed.name = u"@";
        line.remove_prefix(1);
    } else {
        auto name = TakeQuoted(line);
        if (!name)
            return std::nullopt;
        parsed.name = name->empty() ? u"@" : std::move(*name);
    }
    line = TrimBlanks(line);
    if (line.empty() || line.front() != u'=')
        return std::nullopt;
    line = TrimBlanks(line.substr(1));
    if (!line.empty() && line.front() == u'"') {
        auto text = TakeQuoted(line);
        if (!text || !TrimBlanks(line).empty())
            return std::nullopt;
        parsed.value = std::move(*text);
        return parsed;
    }
    if (line.size() >= 6 && EqualsAsciiNoCase(line.substr(0, 6), u"dword:")) {
        auto number = ParseDword(line.substr(6));
        if (!number)
            return std::nullopt;
        parsed.value = *number;
        return parsed;
    }
    if (line == u"-" || (line.size() >= 3 && EqualsAsciiNoCase(line.substr(0, 3), u"hex")))
        return parsed;
    return std::nullopt;
}

}  // namespace

std::optional<SettingValue> FindSettingInText(std::string_view fileText, std::u16string_view key,
                                              std::u16string_view name)
{
    const std::u16string_view wantedKey = StripSeparators(key);
    const std::u16string_view wantedName = (name.empty() || name == u"@") ? std::u16string_view(u"@") : name;
    std::optional<SettingValue> found;
    bool inKey = false;
    for (const std::u16string& line : LogicalLines(DecodeFileText(fileText))) {
        if (line.empty() || line.front() == u';')
            continue;
        if (line.front() == u'[') {
            const auto section = MachineKeyOf(line);
            inKey = section && EqualsAsciiNoCase(*section, wantedKey);
            continue;
        }
        if (!inKey)
            continue;
        // A later assignment of the same name replaces an earlier one, as importing the file would.
        auto parsed = ParseValueLine(line);
        if (parsed && EqualsAsciiNoCase(parsed->name, wantedName))
            found = std::move(parsed->value);
    }
    return found;
}

}  // namespace tessaly::platform
