#pragma once
// Source lines of the elements and attributes of a parsed configuration file. The library's parser
// keeps no positions, so the file's text is scanned once more for its start tags: the n-th start
// tag in the text is the n-th element of the document in document order.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "config/CXMLDocument.h"

namespace tessaly::skincheck {

class XmlLineMap {
public:
    // Scans `text` (the file's bytes, an ASCII-compatible encoding) and pairs its start tags with the
    // elements under `root`, root included.
    XmlLineMap(std::string_view text, const XmlElement* root);

    // Line of the element's start tag; 1 when unknown.
    int Line(const XmlElement* element) const;
    // Line where the attribute is written; the element's line when unknown.
    int Line(const XmlElement* element, std::u16string_view attribute) const;

    struct Tag {
        int line = 1;
        std::unordered_map<std::string, int> attributeLines;
    };
    // Every start tag of the text, in order.
    static std::vector<Tag> ScanStartTags(std::string_view text);

private:
    void Index(const XmlElement* element);

    std::vector<Tag> m_tags;
    std::unordered_map<const XmlElement*, std::size_t> m_index;
};

}  // namespace tessaly::skincheck
