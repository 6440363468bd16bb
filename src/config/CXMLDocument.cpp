#include "config/CXMLDocument.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "platform/FileIO.h"
#include "platform/XmlScanner.h"
#include "support/SwallowedException.h"
#include "support/WideText.h"

namespace tessaly {

const XmlAttribute* XmlElement::FindAttribute(std::u16string_view name) const
{
    for (const XmlAttribute& attribute : Attributes())
        if (attribute.name == name)
            return &attribute;
    return nullptr;
}

XmlElement* XmlElement::FirstChildElement() const
{
    XmlElement* node = m_firstChild;
    while (node != nullptr && node->m_isText)
        node = node->m_next;
    return node;
}

XmlElement* XmlElement::NextSiblingElement() const
{
    XmlElement* node = m_next;
    while (node != nullptr && node->m_isText)
        node = node->m_next;
    return node;
}

std::u16string XmlElement::TextContent() const
{
    // Walked with a stack of its own: a hostile file may nest elements deeper than the call stack goes.
    std::u16string out;
    std::vector<const XmlElement*> pending{this};
    while (!pending.empty()) {
        const XmlElement* node = pending.back();
        pending.pop_back();
        if (node->m_next != nullptr && node != this)
            pending.push_back(node->m_next);
        if (node->m_isText)
            out += node->m_text;
        else if (node->m_firstChild != nullptr)
            pending.push_back(node->m_firstChild);
    }
    return out;
}

namespace {

// Hands out runs of objects from blocks that are freed together; a run never moves. The objects are
// trivially destructible, so freeing the blocks is all the clean-up there is.
template <typename T, std::size_t kBlockSize>
class BlockArena {
public:
    T* Allocate(std::size_t count)
    {
        if (count > m_room) {
            const std::size_t size = std::max(count, kBlockSize);
            m_blocks.push_back(std::make_unique<T[]>(size));
            m_next = m_blocks.back().get();
            m_room = size;
        }
        T* run = m_next;
        m_next += count;
        m_room -= count;
        return run;
    }

private:
    std::vector<std::unique_ptr<T[]>> m_blocks;
    T* m_next = nullptr;
    std::size_t m_room = 0;
};

}  // namespace

// The nodes, attributes and characters of one document, each kind in blocks of its own: a file of a
// few hundred elements costs a handful of allocations, not one or more per node.
struct CXMLDocument::Tree {
    BlockArena<XmlElement, 128> nodes;
    BlockArena<XmlAttribute, 256> attributes;
    BlockArena<char16_t, 8192> characters;
    XmlElement* root = nullptr;

    std::u16string_view Copy(std::u16string_view text)
    {
        if (text.empty())
            return {};
        char16_t* copy = characters.Allocate(text.size());
        std::copy(text.begin(), text.end(), copy);
        return {copy, text.size()};
    }
};

// Builds the tree from what the parser reports: elements with their attributes in document order,
// character data (entity references already replaced) as text runs.
class XmlTreeBuilder final : public platform::XmlScanSink {
public:
    explicit XmlTreeBuilder(CXMLDocument::Tree& tree) : m_tree(tree) {}

    void StartElement(std::u16string_view name, std::span<const platform::XmlScanAttribute> attributes) override
    {
        XmlElement& element = *m_tree.nodes.Allocate(1);
        element.m_name = m_tree.Copy(name);
        XmlAttribute* copies = attributes.empty() ? nullptr : m_tree.attributes.Allocate(attributes.size());
        for (std::size_t i = 0; i < attributes.size(); ++i)
            copies[i] = {m_tree.Copy(attributes[i].name), m_tree.Copy(attributes[i].value)};
        element.m_attributes = copies;
        element.m_attributeCount = attributes.size();
        Append(element);
        m_open.push_back(&element);
    }

    void EndElement() override
    {
        if (!m_open.empty())
            m_open.pop_back();
    }

    // A run the parser reports in several pieces stays several text nodes; only TextContent joins them.
    void Characters(std::u16string_view chars) override
    {
        if (m_open.empty() || chars.empty())
            return;
        XmlElement& text = *m_tree.nodes.Allocate(1);
        text.m_isText = true;
        text.m_text = m_tree.Copy(chars);
        Append(text);
    }

private:
    void Append(XmlElement& node)
    {
        if (m_open.empty()) {
            if (!node.m_isText && m_tree.root == nullptr)
                m_tree.root = &node;
            return;
        }
        XmlElement* parent = m_open.back();
        if (parent->m_lastChild != nullptr)
            parent->m_lastChild->m_next = &node;
        else
            parent->m_firstChild = &node;
        parent->m_lastChild = &node;
    }

    CXMLDocument::Tree& m_tree;
    std::vector<XmlElement*> m_open;  // the elements whose end tag is still to come
};

CXMLDocument::CXMLDocument() = default;

CXMLDocument::~CXMLDocument()
{
    Release();
}

bool CXMLDocument::Init()
{
    m_bReady = true;
    return true;
}

bool CXMLDocument::Load(const std::u16string& path, XmlElement*& root)
{
    root = nullptr;
    m_pTree.reset();
    if (!m_bReady || path.empty())
        return false;
    try {
        // The file is read whole first, and only when it is a regular file of sane size: a FIFO or
        // device under the configuration's name must not block the host.
        const std::optional<std::string> bytes = platform::ReadSmallFile(ToUtf8(path));
        if (!bytes)
            return false;
        auto tree = std::make_unique<Tree>();
        XmlTreeBuilder builder(*tree);
        // Without the verdict a truncated file would hand back the part before the damage.
        if (platform::ScanXml(*bytes, path, builder) != platform::XmlScanResult::Parsed || tree->root == nullptr)
            return false;
        root = tree->root;
        m_pTree = std::move(tree);
        return true;
    } catch (...) {
        // The parser could not run or failed itself, or memory ran out while the tree was built.
        TraceParserFailure(u"XML document", u"reading the file failed");
    }
    return false;
}

XmlElement* CXMLDocument::FindElement(const XmlElement* start, std::initializer_list<std::u16string_view> names) const
{
    if (!m_pTree || start == nullptr || names.size() == 0)
        return nullptr;
    XmlElement* current = const_cast<XmlElement*>(start);
    for (std::u16string_view name : names) {
        current = FindChildElement(current, name);
        if (current == nullptr)
            return nullptr;
    }
    return current;
}

void CXMLDocument::Release()
{
    m_pTree.reset();
}

void CXMLDocument::ShutDown() noexcept
{
    platform::EndXmlScanning();
}

XmlElement* FindChildElement(const XmlElement* parent, std::u16string_view name)
{
    if (parent == nullptr)
        return nullptr;
    for (XmlElement* child = parent->FirstChildElement(); child != nullptr; child = child->NextSiblingElement())
        if (EqualsNoCase(child->Name(), name))
            return child;
    return nullptr;
}

bool GetAttributeValue(const XmlElement* element, std::u16string_view name, std::u16string& out)
{
    out.clear();
    if (element == nullptr)
        return false;
    const XmlAttribute* attribute = element->FindAttribute(name);
    if (attribute == nullptr)
        return false;
    out = attribute->value;
    return true;
}

void TraceParserFailure(std::u16string_view where, std::u16string_view what) noexcept
{
    const char16_t* kind = platform::CurrentXmlParserExceptionKind();
    if (kind == nullptr)
        kind = CurrentExceptionKind();
    // The messages belong to the exception, which lives on until the caller's catch block ends.
    TraceSwallowed(where, what, kind);
}

}  // namespace tessaly
