#pragma once
// Thin access layer over the XML parser: one holder reads one configuration file into a small tree of
// its own; two free functions find a child element by name and read an attribute. Names and values are
// UTF-16 and cross from the parser unchanged.
//
// The system's parser (platform/XmlScanner.h) only scans the file and reports what it finds; the tree
// is built here, so a read costs the scan and a few block allocations rather than a full document
// object model, and both systems' parsers give the same tree. Parsing is hardened for files that may
// be hostile: no external DTD or entity is ever loaded, entity expansion is bounded, nothing is
// validated and any error fails the load.
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// Names and values point into the storage of the document they were read from, and live as long as
// it stays loaded.
struct XmlAttribute {
    std::u16string_view name;
    std::u16string_view value;
};

// One element of a loaded document, or one run of its character data. Elements see only their element
// children; the text runs between them count only for TextContent.
class XmlElement {
public:
    std::u16string_view Name() const { return m_name; }
    std::span<const XmlAttribute> Attributes() const { return {m_attributes, m_attributeCount}; }
    // Null when there is no such attribute (names compare exactly).
    const XmlAttribute* FindAttribute(std::u16string_view name) const;

    // Element children in document order.
    XmlElement* FirstChildElement() const;
    XmlElement* NextSiblingElement() const;

    // All character data of this element and its descendants, in document order.
    std::u16string TextContent() const;

private:
    friend class XmlTreeBuilder;

    std::u16string_view m_name;  // empty for a run of text
    std::u16string_view m_text;  // the characters of a run of text
    const XmlAttribute* m_attributes = nullptr;
    std::size_t m_attributeCount = 0;
    XmlElement* m_firstChild = nullptr;
    XmlElement* m_lastChild = nullptr;
    XmlElement* m_next = nullptr;
    bool m_isText = false;
};

class CXMLDocument {
public:
    CXMLDocument();
    ~CXMLDocument();  // releases the reader when the caller has not
    CXMLDocument(const CXMLDocument&) = delete;
    CXMLDocument& operator=(const CXMLDocument&) = delete;

    // Readies the holder. The parser is started by the first Load that needs it; a parser that cannot
    // be started shows as a failed Load. Always true.
    bool Init();

    // Reads and parses the file at `path`. True and the document element in `root`; false and a null
    // `root` when the file is missing, unreadable, malformed or has no document element.
    bool Load(const std::u16string& path, XmlElement*& root);

    // Walks from `start` through one child per name (first case-insensitive match each step). Null when
    // nothing is loaded, `start` is null, `names` is empty or a step finds nothing.
    XmlElement* FindElement(const XmlElement* start, std::initializer_list<std::u16string_view> names) const;

    // Frees the tree. Safe to call twice.
    void Release();

    // Ends this library's use of the parser (see platform::EndXmlScanning); later loads fail. Runs by
    // itself when the library is unloaded or the process ends.
    static void ShutDown() noexcept;

    struct Tree;  // the nodes of one loaded document

private:
    std::unique_ptr<Tree> m_pTree;
    bool m_bReady = false;
};

// First element child of `parent` whose name equals `name` without regard to ASCII case; text,
// comments and processing instructions are skipped. Null for a null parent or no match.
XmlElement* FindChildElement(const XmlElement* parent, std::u16string_view name);

// `out` is emptied first; true and the attribute's value when `element` has an attribute of exactly
// this name (case-sensitive), false otherwise.
bool GetAttributeValue(const XmlElement* element, std::u16string_view name, std::u16string& out);

// For a catch block that swallows whatever the parser or the code around it threw: writes
// "--<where>: <what> (<kind>)" to the trace, the kind naming the parser's error message, its memory
// running out, a panic of the parser platform or a standard exception. Allocates nothing itself.
void TraceParserFailure(std::u16string_view where, std::u16string_view what) noexcept;

}  // namespace tessaly
