#include "platform/IniFile.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/FileIO.h"
#include "platform/TextEncoding.h"

namespace tessaly::platform {

namespace {

// One physical line: its text without the line ending, and the ending itself.
struct Line {
    std::u16string text;
    std::u16string ending;
};

std::vector<Line> SplitLines(std::u16string_view text)
{
    std::vector<Line> lines;
    while (!text.empty()) {
        const auto newline = text.find(u'\n');
        Line line;
        line.text = std::u16string(text.substr(0, newline));
        if (newline != std::u16string_view::npos) {
            line.ending = u"\n";
            if (!line.text.empty() && line.text.back() == u'\r') {
                line.text.pop_back();
                line.ending = u"\r\n";
            }
        }
        lines.push_back(std::move(line));
        text = newline == std::u16string_view::npos ? std::u16string_view() : text.substr(newline + 1);
    }
    return lines;
}

// The section name of a "[name]" line; nothing for any other line.
std::optional<std::u16string_view> SectionOf(std::u16string_view line)
{
    line = TrimBlanks(line);
    if (line.empty() || line.front() != u'[')
        return std::nullopt;
    const auto close = line.find(u']');
    if (close == std::u16string_view::npos)
        return std::nullopt;
    return TrimBlanks(line.substr(1, close - 1));
}

struct Entry {
    std::u16string_view key;
    std::u16string_view value;
};

std::optional<Entry> EntryOf(std::u16string_view line)
{
    line = TrimBlanks(line);
    if (line.empty() || line.front() == u';' || line.front() == u'#' || line.front() == u'[')
        return std::nullopt;
    const auto equals = line.find(u'=');
    if (equals == std::u16string_view::npos)
        return std::nullopt;
    Entry entry {TrimBlanks(line.substr(0, equals)), TrimBlanks(line.substr(equals + 1))};
    // One pair of matching quotes around the value is removed, as the profile functions do.
    const auto& v = entry.value;
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        entry.value = v.substr(1, v.size() - 2);
    return entry;
}

// Where section `section` starts (the header's index) and ends (one past its last line).
struct SectionSpan {
    std::size_t header = 0;
    std::size_t end = 0;
};

std::optional<SectionSpan> FindSection(const std::vector<Line>& lines, std::u16string_view section)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionOf(lines[i].text);
        if (!name || !EqualsAsciiNoCase(*name, section))
            continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !SectionOf(lines[end].text))
            ++end;
        return SectionSpan {i, end};
    }
    return std::nullopt;
}

std::u16string CutToCapacity(std::u16string_view text, std::size_t capacity)
{
    if (capacity == 0)
        return {};
    std::size_t keep = std::min(text.size(), capacity - 1);
    // Never end on the first half of a surrogate pair.
    if (keep > 0 && keep < text.size() && text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF)
        --keep;
    return std::u16string(text.substr(0, keep));
}

bool HasLineBreak(std::u16string_view text)
{
    return text.find_first_of(u"\r\n") != std::u16string_view::npos || text.find(char16_t(0)) != std::u16string_view::npos;
}

std::u16string JoinLines(const std::vector<Line>& lines)
{
    std::u16string all;
    for (const Line& l : lines)
        all += l.text + l.ending;
    return all;
}

std::string EncodeLike(std::string_view original, std::u16string_view text)
{
    const bool utf16 = original.size() >= 2 && static_cast<unsigned char>(original[0]) == 0xFF &&
                       static_cast<unsigned char>(original[1]) == 0xFE;
    if (!utf16) {
        const bool bom = original.starts_with("\xEF\xBB\xBF");
        return (bom ? std::string("\xEF\xBB\xBF") : std::string()) + Utf16ToUtf8(text);
    }
    std::string bytes("\xFF\xFE");
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

}  // namespace

std::u16string ReadProfileStringFromText(std::string_view fileText, std::u16string_view section,
                                         std::u16string_view key, std::u16string_view defaultValue,
                                         std::size_t capacity)
{
    // Trailing blanks of the default are dropped, as the profile functions do.
    const auto lastKept = defaultValue.find_last_not_of(u" \t");
    const std::u16string_view fallback = lastKept == std::u16string_view::npos ? std::u16string_view() : defaultValue.substr(0, lastKept + 1);
    const std::vector<Line> lines = SplitLines(DecodeFileText(fileText));
    const auto span = FindSection(lines, TrimBlanks(section));
    if (!span)
        return CutToCapacity(fallback, capacity);
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        const auto entry = EntryOf(lines[i].text);
        if (entry && EqualsAsciiNoCase(entry->key, TrimBlanks(key)))
            return CutToCapacity(entry->value, capacity);
    }
    return CutToCapacity(fallback, capacity);
}

std::vector<ProfileLine> ListProfileLines(std::string_view fileText)
{
    std::vector<ProfileLine> listed;
    const std::vector<Line> lines = SplitLines(DecodeFileText(fileText));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ProfileLine line;
        line.number = i + 1;
        line.text = lines[i].text;
        const std::u16string_view trimmed = TrimBlanks(line.text);
        if (const auto section = SectionOf(trimmed)) {
            line.kind = ProfileLine::Kind::kSection;
            line.name = *section;
        } else if (const auto entry = EntryOf(trimmed)) {
            line.kind = ProfileLine::Kind::kEntry;
            line.name = entry->key;
            line.value = entry->value;
        } else if (trimmed.empty()) {
            line.kind = ProfileLine::Kind::kBlank;
        } else if (trimmed.front() == u';' || trimmed.front() == u'#') {
            line.kind = ProfileLine::Kind::kComment;
        } else {
            line.kind = ProfileLine::Kind::kOther;
        }
        listed.push_back(std::move(line));
    }
    return listed;
}

std::u16string ReadProfileStringFromFile(std::u16string_view section, std::u16string_view key,
                                         std::u16string_view defaultValue, const std::u16string& path,
                                         std::size_t capacity)
{
    const auto bytes = ReadSmallFile(Utf16ToUtf8(path));
    return ReadProfileStringFromText(bytes ? std::string_view(*bytes) : std::string_view(), section, key,
                                     defaultValue, capacity);
}

namespace {

}  // namespace

bool IsWritableProfileEntry(std::u16string_view section, std::u16string_view key, std::u16string_view value)
{
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    return !section.empty() && !key.empty() && !HasLineBreak(section) && !HasLineBreak(key) && !HasLineBreak(value) &&
           section.find(u']') == std::u16string_view::npos && key.find(u'=') == std::u16string_view::npos &&
           key.front() != u'[' && key.front() != u';' && key.front() != u'#';
}

namespace {

// The file's bytes; empty for a missing file, nothing for one that exists but cannot be read whole.
std::optional<std::string> LoadForRewrite(const std::string& path)
{
    if (!PathExists(path))
        return std::string();
    return ReadSmallFile(path);
}

// Sets the key in the lines: replaces its first entry in the section, or adds one after the section's
// last non-blank line, or adds the section at the end.
void SetEntry(std::vector<Line>& lines, std::u16string_view section, std::u16string_view key, std::u16string_view value)
{
    std::u16string eol = u"\n";
    for (const Line& l : lines)
        if (!l.ending.empty()) {
            eol = l.ending;
            break;
        }
    const auto span = FindSection(lines, section);
    if (!span) {
        if (!lines.empty() && lines.back().ending.empty())
            lines.back().ending = eol;
        lines.push_back(Line {u"[" + std::u16string(section) + u"]", eol});
        lines.push_back(Line {std::u16string(key) + u"=" + std::u16string(value), eol});
        return;
    }
    std::size_t insertAt = span->header + 1;
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        if (const auto entry = EntryOf(lines[i].text); entry && EqualsAsciiNoCase(entry->key, key)) {
            lines[i].text = std::u16string(entry->key) + u"=" + std::u16string(value);
            return;
        }
        if (!TrimBlanks(lines[i].text).empty())
            insertAt = i + 1;
    }
    if (lines[insertAt - 1].ending.empty())
        lines[insertAt - 1].ending = eol;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                 Line {std::u16string(key) + u"=" + std::u16string(value), eol});
}

}  // namespace

bool WriteProfileStringToFile(std::u16string_view section, std::u16string_view key, std::u16string_view value,
                              const std::u16string& path)
{
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    if (!IsWritableProfileEntry(section, key, value))
        return false;
    const std::string narrowPath = Utf16ToUtf8(path);
    // A file that exists but cannot be read whole is never replaced by a partial copy.
    const auto original = LoadForRewrite(narrowPath);
    if (!original)
        return false;
    std::vector<Line> lines = SplitLines(DecodeFileText(*original));
    SetEntry(lines, section, key, value);
    return ReplaceFileContents(narrowPath, EncodeLike(*original, JoinLines(lines)));
}

}  // namespace tessaly::platform
