#include "IniEdit.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace tessaly::host {
namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Lines with their own line ending kept on them.
std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    while (!text.empty()) {
        const auto eol = text.find('\n');
        const std::size_t take = eol == std::string_view::npos ? text.size() : eol + 1;
        lines.emplace_back(text.substr(0, take));
        text.remove_prefix(take);
    }
    return lines;
}

std::string_view Content(const std::string& line)
{
    std::string_view v = line;
    while (!v.empty() && (v.back() == '\n' || v.back() == '\r'))
        v.remove_suffix(1);
    return v;
}

bool IsSection(std::string_view content) { return !Trim(content).empty() && Trim(content).front() == '['; }

}  // namespace

std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value)
{
    const std::string eol = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    auto lines = SplitLines(text);
    const std::string entry = std::string(key) + "=" + std::string(value) + eol;

    std::size_t sectionAt = lines.size();
    for (std::size_t i = 0; i < lines.size() && sectionAt == lines.size(); ++i) {
        const auto c = Trim(Content(lines[i]));
        if (IsSection(c) && c.find(']') != std::string_view::npos && SameName(Trim(c.substr(1, c.find(']') - 1)), section))
            sectionAt = i;
    }
    if (sectionAt == lines.size()) {
        std::string out(text);
        if (!out.empty() && out.back() != '\n')
            out += eol;
        return out + "[" + std::string(section) + "]" + eol + entry;
    }
    std::size_t insertAt = sectionAt + 1;
    for (std::size_t i = sectionAt + 1; i < lines.size() && !IsSection(Content(lines[i])); ++i) {
        const auto c = Content(lines[i]);
        const auto eq = c.find('=');
        if (eq != std::string_view::npos && Trim(c).front() != ';' && SameName(Trim(c.substr(0, eq)), key)) {
            lines[i] = entry;
            std::string out;
            for (const auto& l : lines)
                out += l;
            return out;
        }
        if (!Trim(c).empty())
            insertAt = i + 1;
    }
    if (insertAt > 0 && insertAt - 1 < lines.size() && lines[insertAt - 1].back() != '\n')
        lines[insertAt - 1] += eol;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
    std::string out;
    for (const auto& l : lines)
        out += l;
    return out;
}

}  // namespace tessaly::host
