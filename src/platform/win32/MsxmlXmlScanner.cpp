// The XML scanner on MSXML 6's DOM document: the document is loaded whole from memory, then its tree
// is walked and reported. MSXML keeps no count of entity expansions, so the document first passes
// the portable count (XmlEntityBudget.h), which also refuses what Xerces refuses about entities
// (loops, references to external, unparsed or undeclared entities) before MSXML ever sees it.
#include "platform/XmlScanner.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/XmlEntityBudget.h"
#include "platform/win32/Win32Support.h"

#include <msxml2.h>
#include <objbase.h>
#include <oleauto.h>
#include <shlwapi.h>
#include <wrl/client.h>

namespace tessaly::platform {

namespace {

// mingw-w64's ComPtr::Attach adds a reference of its own (Microsoft's takes over the one it is given),
// so a pointer handed to Attach is never freed. A ComPtr here takes a new reference only through
// GetAddressOf() on an empty ComPtr; Attach is not used.
using Microsoft::WRL::ComPtr;

// mingw-w64's headers stop at MSXML 3; these are MSXML 6's DOM document and its interface.
constexpr CLSID kDomDocument60 = {0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
constexpr IID kIXMLDOMDocument2 = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

// What MSXML itself failed at (not the document): its message lives as long as the exception.
class MsxmlFailure final : public std::runtime_error {
public:
    MsxmlFailure(const char16_t* what, HRESULT hr)
        : std::runtime_error("MSXML failed"),
          m_message(std::u16string(what) + u" (0x" + Hex(static_cast<unsigned long>(hr)) + u")")
    {
    }
    const char16_t* Message() const noexcept { return m_message.c_str(); }

private:
    static std::u16string Hex(unsigned long value)
    {
        std::u16string digits(8, u'0');
        for (std::size_t i = digits.size(); i-- > 0; value >>= 4)
            digits[i] = u"0123456789ABCDEF"[value & 0xF];
        return digits;
    }

    std::u16string m_message;
};

void Check(HRESULT hr, const char16_t* what)
{
    if (hr == E_OUTOFMEMORY)
        throw std::bad_alloc();
    if (FAILED(hr))
        throw MsxmlFailure(what, hr);
}

class UniqueBstr {
public:
    UniqueBstr() = default;
    ~UniqueBstr() { ::SysFreeString(m_text); }
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;

    static UniqueBstr From(const wchar_t* text)
    {
        UniqueBstr owned;
        owned.m_text = ::SysAllocString(text);
        if (owned.m_text == nullptr)
            throw std::bad_alloc();
        return owned;
    }
    UniqueBstr(UniqueBstr&& other) noexcept : m_text(std::exchange(other.m_text, nullptr)) {}

    BSTR get() const { return m_text; }
    BSTR* put()
    {
        ::SysFreeString(std::exchange(m_text, nullptr));
        return &m_text;
    }
    std::u16string_view View() const
    {
        return {reinterpret_cast<const char16_t*>(m_text), ::SysStringLen(m_text)};
    }

private:
    BSTR m_text = nullptr;
};

class UniqueVariant {
public:
    UniqueVariant() { ::VariantInit(&m_value); }
    ~UniqueVariant() { ::VariantClear(&m_value); }
    UniqueVariant(UniqueVariant&& other) noexcept : m_value(other.m_value) { ::VariantInit(&other.m_value); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;

    VARIANT& get() { return m_value; }
    VARIANT* put()
    {
        ::VariantClear(&m_value);
        return &m_value;
    }
    // The text of a string value; empty for anything else.
    std::u16string_view Text() const
    {
        if (m_value.vt != VT_BSTR || m_value.bstrVal == nullptr)
            return {};
        return {reinterpret_cast<const char16_t*>(m_value.bstrVal), ::SysStringLen(m_value.bstrVal)};
    }

private:
    VARIANT m_value;
};

// A COM apartment for the length of one scan when the calling thread has none. A thread that already
// has one (of either kind) keeps it: MSXML 6's document lives in both.
class ApartmentForCall {
public:
    ApartmentForCall()
    {
        const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        m_balance = SUCCEEDED(hr);
        if (!m_balance && hr != RPC_E_CHANGED_MODE)
            Check(hr, u"no COM apartment could be entered");
    }
    ~ApartmentForCall()
    {
        if (m_balance)
            ::CoUninitialize();
    }
    ApartmentForCall(const ApartmentForCall&) = delete;
    ApartmentForCall& operator=(const ApartmentForCall&) = delete;

private:
    bool m_balance = false;
};

void SetFlag(IXMLDOMDocument2& document, HRESULT (STDMETHODCALLTYPE IXMLDOMDocument2::*setter)(VARIANT_BOOL),
             bool value)
{
    Check((document.*setter)(value ? VARIANT_TRUE : VARIANT_FALSE), u"MSXML refused a setting");
}

// A document hardened as the Xerces reader is: nothing validated, nothing read from outside, a DTD
// allowed (for its internal entities), white space kept as it is.
ComPtr<IXMLDOMDocument2> MakeDocument()
{
    ComPtr<IXMLDOMDocument2> document;
    Check(::CoCreateInstance(kDomDocument60, nullptr, CLSCTX_INPROC_SERVER, kIXMLDOMDocument2,
                             reinterpret_cast<void**>(document.GetAddressOf())),
          u"MSXML 6 could not be started");
    SetFlag(*document.Get(), &IXMLDOMDocument2::put_async, false);
    SetFlag(*document.Get(), &IXMLDOMDocument2::put_validateOnParse, false);
    SetFlag(*document.Get(), &IXMLDOMDocument2::put_resolveExternals, false);
    SetFlag(*document.Get(), &IXMLDOMDocument2::put_preserveWhiteSpace, true);
    UniqueVariant allowDtd;
    allowDtd.get().vt = VT_BOOL;
    allowDtd.get().boolVal = VARIANT_FALSE;
    const UniqueBstr prohibitDtd = UniqueBstr::From(L"ProhibitDTD");
    Check(document->setProperty(prohibitDtd.get(), allowDtd.get()), u"MSXML refused a setting");
    // The walk bounds the nesting itself; MSXML's own bound (256 by default) is moved out of its way,
    // where MSXML lets it be moved (Wine's does not, and allows one level more).
    UniqueVariant depth;
    depth.get().vt = VT_I4;
    depth.get().lVal = static_cast<LONG>(kXmlElementDepthLimit + 1);
    const UniqueBstr maxDepth = UniqueBstr::From(L"MaxElementDepth");
    document->setProperty(maxDepth.get(), depth.get());
    return document;
}

// Loads the bytes through a stream, so that MSXML reads the encoding the document declares. False
// when the document is not well-formed.
bool Load(IXMLDOMDocument2& document, std::string_view bytes)
{
    if (bytes.size() > UINT_MAX)
        return false;
    // The variant owns the stream's only reference (the stream holds a copy of the bytes) and releases
    // it after the load.
    UniqueVariant source;
    source.get().punkVal =
        ::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
    if (source.get().punkVal == nullptr)
        throw std::bad_alloc();
    source.get().vt = VT_UNKNOWN;
    VARIANT_BOOL loaded = VARIANT_FALSE;
    const HRESULT hr = document.load(source.get(), &loaded);
    if (hr == E_OUTOFMEMORY)
        throw std::bad_alloc();
    return hr == S_OK && loaded == VARIANT_TRUE;
}

template <typename Value>
Value Get(IXMLDOMNode& node, HRESULT (STDMETHODCALLTYPE IXMLDOMNode::*getter)(Value*))
{
    Value value{};
    Check((node.*getter)(&value), u"MSXML failed to report a node");
    return value;
}

ComPtr<IXMLDOMNode> Related(IXMLDOMNode& node, HRESULT (STDMETHODCALLTYPE IXMLDOMNode::*getter)(IXMLDOMNode**))
{
    ComPtr<IXMLDOMNode> related;
    Check((node.*getter)(related.GetAddressOf()), u"MSXML failed to report a node");
    return related;
}

// Walks the tree below the document element with a stack of its own (a hostile file may nest deeper
// than the call stack goes) and reports it to the sink in document order.
class TreeReporter {
public:
    explicit TreeReporter(XmlScanSink& sink) : m_sink(sink) {}

    // False when the elements nest deeper than the bound; what was reported is void then.
    bool Report(IXMLDOMNode& root)
    {
        Enter(root, true);
        while (!m_open.empty()) {
            Open& open = m_open.back();
            if (open.next == open.children.size()) {
                if (open.element) {
                    m_sink.EndElement();
                    --m_depth;
                }
                m_open.pop_back();
                continue;
            }
            const DOMNodeType type = open.children[open.next].type;
            const ComPtr<IXMLDOMNode> node = std::move(open.children[open.next++].node);
            if (type == NODE_ELEMENT && m_depth == kXmlElementDepthLimit)
                return false;
            if (type == NODE_ELEMENT || (type == NODE_ENTITY_REFERENCE && node))
                Enter(*node.Get(), type == NODE_ELEMENT);
            else if (type == NODE_TEXT || type == NODE_CDATA_SECTION)
                Characters(Value(*node.Get()));
            // Comments and processing instructions are not reported.
        }
        return true;
    }

private:
    struct Child {
        ComPtr<IXMLDOMNode> node;
        DOMNodeType type;
    };
    struct Open {
        std::vector<Child> children;
        std::size_t next = 0;  // the next child to report
        bool element = false;  // an element (ended when its children are done), or an entity reference
    };

    // An entity reference stands for its replacement, which MSXML keeps as the reference's children.
    // Wine's MSXML keeps none that can be reached, only the text of the element around: an element
    // whose content is text alone is reported as that text. (In mixed content there is no telling
    // which part of the text was the reference's, so the replacement is missing there under Wine.)
    void Enter(IXMLDOMNode& node, bool element)
    {
        Open open{Children(node), 0, element};
        if (element) {
            ++m_depth;
            StartElement(node);
            const auto is = [&](auto test) { return std::any_of(open.children.begin(), open.children.end(), test); };
            if (is([](const Child& c) { return c.type == NODE_ENTITY_REFERENCE && !c.node; }) &&
                !is([](const Child& c) { return c.type == NODE_ELEMENT; })) {
                UniqueBstr text;
                Check(node.get_text(text.put()), u"MSXML failed to report a node");
                Characters(text.View());
                open.children.clear();
            }
        }
        m_open.push_back(std::move(open));
    }

    // The children in document order; an entity reference whose replacement cannot be walked is kept
    // without its node.
    static std::vector<Child> Children(IXMLDOMNode& parent)
    {
        std::vector<Child> children;
        for (ComPtr<IXMLDOMNode> node = Related(parent, &IXMLDOMNode::get_firstChild); node;) {
            ComPtr<IXMLDOMNode> next = Related(*node.Get(), &IXMLDOMNode::get_nextSibling);
            const DOMNodeType type = Get(*node.Get(), &IXMLDOMNode::get_nodeType);
            if (type == NODE_ENTITY_REFERENCE && !Related(*node.Get(), &IXMLDOMNode::get_firstChild))
                node.Reset();
            children.push_back({std::move(node), type});
            node = std::move(next);
        }
        return children;
    }

    static UniqueVariant Value(IXMLDOMNode& node)
    {
        UniqueVariant value;
        Check(node.get_nodeValue(value.put()), u"MSXML failed to report a node");
        return value;
    }

    void StartElement(IXMLDOMNode& element)
    {
        UniqueBstr name;
        Check(element.get_nodeName(name.put()), u"MSXML failed to report a node");
        ComPtr<IXMLDOMNamedNodeMap> map;
        Check(element.get_attributes(map.GetAddressOf()), u"MSXML failed to report a node");
        long count = 0;
        if (map)
            Check(map->get_length(&count), u"MSXML failed to report a node");
        m_names.resize(static_cast<std::size_t>(count));
        m_values.resize(static_cast<std::size_t>(count));
        m_attributes.resize(static_cast<std::size_t>(count));
        for (long i = 0; i < count; ++i) {
            ComPtr<IXMLDOMNode> attribute;
            Check(map->get_item(i, attribute.GetAddressOf()), u"MSXML failed to report a node");
            const auto at = static_cast<std::size_t>(i);
            Check(attribute->get_nodeName(m_names[at].put()), u"MSXML failed to report a node");
            Check(attribute->get_nodeValue(m_values[at].put()), u"MSXML failed to report a node");
            m_attributes[at] = {m_names[at].View(), m_values[at].Text()};
        }
        m_sink.StartElement(name.View(), m_attributes);
    }

    void Characters(std::u16string_view text)
    {
        if (!text.empty())
            m_sink.Characters(text);
    }
    void Characters(const UniqueVariant& value) { Characters(value.Text()); }

    XmlScanSink& m_sink;
    std::vector<Open> m_open;
    std::size_t m_depth = 0;  // elements open
    std::vector<UniqueBstr> m_names;
    std::vector<UniqueVariant> m_values;
    std::vector<XmlScanAttribute> m_attributes;
};

std::atomic<bool> g_ended{false};

}  // namespace

namespace {

// The parser's library stays loaded from the first scan on. Otherwise a thread without an apartment
// of its own loads and unloads it with every scan (its apartment ends with the scan), which costs a
// load each time and, under Wine, leaves some kilobytes of the parser's start-up behind per round.
void KeepParserLoaded() noexcept
{
    static const bool kept = ::LoadLibraryW(L"msxml6.dll") != nullptr;
    (void)kept;
}

}  // namespace

XmlScanResult ScanXml(std::string_view bytes, std::u16string_view /*documentName*/, XmlScanSink& sink)
{
    if (g_ended.load())
        throw std::runtime_error("the XML parser has been shut down");
    if (!EntityExpansionsWithinBound(bytes))
        return XmlScanResult::Malformed;
    KeepParserLoaded();
    ApartmentForCall apartment;
    const ComPtr<IXMLDOMDocument2> document = MakeDocument();
    if (!Load(*document.Get(), bytes))
        return XmlScanResult::Malformed;
    ComPtr<IXMLDOMElement> root;
    Check(document->get_documentElement(root.GetAddressOf()), u"MSXML failed to report a node");
    if (!root)
        return XmlScanResult::Malformed;
    return TreeReporter(sink).Report(*root.Get()) ? XmlScanResult::Parsed : XmlScanResult::Malformed;
}

// Nothing is kept between scans here: every scan makes its own document and releases it.
void EndXmlScanning() noexcept
{
    g_ended.store(true);
}

const char16_t* CurrentXmlParserExceptionKind() noexcept
{
    try {
        throw;
    } catch (const MsxmlFailure& e) {
        return e.Message();
    } catch (...) {
        return nullptr;
    }
}

}  // namespace tessaly::platform
