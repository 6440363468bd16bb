#include "XmlLineMap.h"

#include <algorithm>

#include "support/WideText.h"

namespace tessaly::skincheck {
namespace {

bool IsNameChar(char c)
{
    return c != '=' && c != '>' && c != '/' && c != ' ' && c != '\t' && c != '\r' && c != '\n';
}

// Reads forward through a text, counting lines.
class Cursor {
public:
    explicit Cursor(std::string_view text) : m_text(text) {}
    bool AtEnd() const { return m_pos >= m_text.size(); }
    char Peek() const { return AtEnd() ? '\0' : m_text[m_pos]; }
    bool StartsWith(std::string_view s) const { return m_text.substr(m_pos, s.size()) == s; }
    int Line() const { return m_line; }
    void Advance(std::size_t n = 1)
    {
        const std::size_t end = std::min(m_text.size(), m_pos + n);
        m_line += static_cast<int>(std::count(m_text.begin() + static_cast<std::ptrdiff_t>(m_pos),
                                              m_text.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
        m_pos = end;
    }
    // Moves past the next `marker` (to the end when there is none).
    void SkipPast(std::string_view marker)
    {
        const std::size_t at = m_text.find(marker, m_pos);
        Advance(at == std::string_view::npos ? m_text.size() - m_pos : at - m_pos + marker.size());
    }
    // Whether `c` comes before `other` in what is left of the text.
    bool Before(char c, char other) const { return m_text.find(c, m_pos) < m_text.find(other, m_pos); }
    void SkipSpace()
    {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\r' || Peek() == '\n'))
            Advance();
    }
    std::string ReadName()
    {
        std::string name;
        while (!AtEnd() && IsNameChar(Peek())) {
            name += Peek();
            Advance();
        }
        return name;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_line = 1;
};

// Reads the attributes of a start tag up to its closing '>'.
void ReadAttributes(Cursor& in, XmlLineMap::Tag& tag)
{
    while (!in.AtEnd()) {
        in.SkipSpace();
        if (in.Peek() == '>' || in.Peek() == '/') {
            in.SkipPast(">");
            return;
        }
        const int line = in.Line();
        const std::string name = in.ReadName();
        if (name.empty()) {
            in.Advance();
            continue;
        }
        tag.attributeLines.emplace(name, line);
        in.SkipSpace();
        if (in.Peek() != '=')
            continue;
        in.Advance();
        in.SkipSpace();
        const char quote = in.Peek();
        if (quote == '"' || quote == '\'') {
            in.Advance();
            in.SkipPast(std::string_view(&quote, 1));
        }
    }
}

}  // namespace

std::vector<XmlLineMap::Tag> XmlLineMap::ScanStartTags(std::string_view text)
{
    std::vector<Tag> tags;
    Cursor in(text);
    while (!in.AtEnd()) {
        if (in.Peek() != '<') {
            in.Advance();
            continue;
        }
        if (in.StartsWith("<!--")) {
            in.SkipPast("-->");
        } else if (in.StartsWith("<![CDATA[")) {
            in.SkipPast("]]>");
        } else if (in.StartsWith("<?")) {
            in.SkipPast("?>");
        } else if (in.StartsWith("<!")) {
            // A document type declaration; its internal subset ends with "]>".
            in.SkipPast(in.Before('[', '>') ? "]>" : ">");
        } else if (in.StartsWith("</")) {
            in.SkipPast(">");
        } else {
            Tag tag;
            tag.line = in.Line();
            in.Advance();
            in.ReadName();
            ReadAttributes(in, tag);
            tags.push_back(std::move(tag));
        }
    }
    return tags;
}

XmlLineMap::XmlLineMap(std::string_view text, const XmlElement* root) : m_tags(ScanStartTags(text))
{
    if (root)
        Index(root);
}

void XmlLineMap::Index(const XmlElement* element)
{
    const std::size_t n = m_index.size();
    m_index.emplace(element, n);
    for (const XmlElement* child = element->FirstChildElement(); child;
         child = child->NextSiblingElement())
        Index(child);
}

int XmlLineMap::Line(const XmlElement* element) const
{
    const auto it = m_index.find(element);
    return it == m_index.end() || it->second >= m_tags.size() ? 1 : m_tags[it->second].line;
}

int XmlLineMap::Line(const XmlElement* element, std::u16string_view attribute) const
{
    const auto it = m_index.find(element);
    if (it == m_index.end() || it->second >= m_tags.size())
        return 1;
    const Tag& tag = m_tags[it->second];
    const auto at = tag.attributeLines.find(ToUtf8(attribute));
    return at == tag.attributeLines.end() ? tag.line : at->second;
}

}  // namespace tessaly::skincheck
