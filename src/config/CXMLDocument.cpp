#include "config/CXMLDocument.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include <xercesc/dom/DOMException.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/sax/EntityResolver.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/DefaultPanicHandler.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PanicHandler.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/util/XMLUni.hpp>

#include "platform/FileIO.h"
#include "support/SwallowedException.h"
#include "support/WideText.h"

namespace tessaly {

using namespace xercesc;

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

    std::u16string_view Copy(const XMLCh* text, std::size_t length)
    {
        if (length == 0)
            return {};
        char16_t* copy = characters.Allocate(length);
        std::copy_n(text, length, copy);
        return {copy, length};
    }
};

// Builds the tree from what the scanner reports: elements with their attributes in document order,
// character data (entity references already replaced) as text runs. Comments and processing
// instructions are not reported at all.
class XmlTreeBuilder final : public DefaultHandler {
public:
    void Start(CXMLDocument::Tree& tree)
    {
        m_tree = &tree;
        m_open.clear();
        m_failed = false;
    }

    void Finish() { m_tree = nullptr; }
    bool Failed() const { return m_failed; }

    void startElement(const XMLCh*, const XMLCh*, const XMLCh* qname, const Attributes& attributes) override
    {
        XmlElement& element = *m_tree->nodes.Allocate(1);
        element.m_name = CopyOf(qname);
        const XMLSize_t count = attributes.getLength();
        XmlAttribute* copies = count > 0 ? m_tree->attributes.Allocate(count) : nullptr;
        for (XMLSize_t i = 0; i < count; ++i)
            copies[i] = {CopyOf(attributes.getQName(i)), CopyOf(attributes.getValue(i))};
        element.m_attributes = copies;
        element.m_attributeCount = count;
        Append(element);
        m_open.push_back(&element);
    }

    void endElement(const XMLCh*, const XMLCh*, const XMLCh*) override
    {
        if (!m_open.empty())
            m_open.pop_back();
    }

    void characters(const XMLCh* chars, const XMLSize_t length) override { AppendText(chars, length); }
    void ignorableWhitespace(const XMLCh* chars, const XMLSize_t length) override { AppendText(chars, length); }

    // Every error ends the parse at once: a damaged file is never half read.
    void warning(const SAXParseException&) override {}
    void error(const SAXParseException& e) override { Fail(e); }
    void fatalError(const SAXParseException& e) override { Fail(e); }

private:
    [[noreturn]] void Fail(const SAXParseException& e)
    {
        m_failed = true;
        throw e;
    }

    void Append(XmlElement& node)
    {
        if (m_open.empty()) {
            if (!node.m_isText && m_tree->root == nullptr)
                m_tree->root = &node;
            return;  // text outside the document element is only white space, kept nowhere
        }
        XmlElement* parent = m_open.back();
        if (parent->m_lastChild != nullptr)
            parent->m_lastChild->m_next = &node;
        else
            parent->m_firstChild = &node;
        parent->m_lastChild = &node;
    }

    std::u16string_view CopyOf(const XMLCh* text) { return m_tree->Copy(text, XMLString::stringLen(text)); }

    // A run the scanner reports in several pieces stays several text nodes; only TextContent joins them.
    void AppendText(const XMLCh* chars, XMLSize_t length)
    {
        if (m_open.empty() || length == 0)
            return;
        XmlElement& text = *m_tree->nodes.Allocate(1);
        text.m_isText = true;
        text.m_text = m_tree->Copy(chars, length);
        Append(text);
    }

    CXMLDocument::Tree* m_tree = nullptr;
    std::vector<XmlElement*> m_open;  // the elements whose end tag is still to come
    bool m_failed = false;
};

namespace {

// Entity expansions allowed in one document. Configuration files need none beyond the predefined
// ones (which do not count); the bound makes a "billion laughs" file fail at once instead of eating
// memory.
constexpr XMLSize_t kEntityExpansionLimit = 64;

// Resolves nothing, so no external DTD, entity or schema can ever be fetched.
class NullEntityResolver final : public EntityResolver {
public:
    InputSource* resolveEntity(const XMLCh*, const XMLCh*) override { return nullptr; }
};

}  // namespace

// A scanner hardened once, when it is made, and reused for one document after another.
struct CXMLDocument::Reader {
    NullEntityResolver resolver;
    XmlTreeBuilder builder;
    SecurityManager security;
    std::unique_ptr<SAX2XMLReader> parser;

    static std::unique_ptr<Reader> Make()
    {
        auto reader = std::make_unique<Reader>();
        reader->security.setEntityExpansionLimit(kEntityExpansionLimit);
        reader->parser.reset(XMLReaderFactory::createXMLReader(XMLPlatformUtils::fgMemoryManager));
        if (!reader->parser)
            return nullptr;
        SAX2XMLReader& parser = *reader->parser;
        parser.setFeature(XMLUni::fgSAX2CoreValidation, false);
        parser.setFeature(XMLUni::fgSAX2CoreNameSpaces, false);
        parser.setFeature(XMLUni::fgSAX2CoreNameSpacePrefixes, false);
        parser.setFeature(XMLUni::fgXercesSchema, false);
        parser.setFeature(XMLUni::fgXercesLoadSchema, false);
        parser.setFeature(XMLUni::fgXercesLoadExternalDTD, false);
        parser.setFeature(XMLUni::fgXercesDisableDefaultEntityResolution, true);
        parser.setProperty(XMLUni::fgXercesSecurityManager, &reader->security);
        parser.setEntityResolver(&reader->resolver);
        parser.setContentHandler(&reader->builder);
        parser.setErrorHandler(&reader->builder);
        return reader;
    }
};

namespace {

// Thrown instead of ending the process when the parser platform panics.
struct ParserPanic {
    PanicHandler::PanicReasons reason;
};

class ThrowingPanicHandler final : public PanicHandler {
public:
    void panic(const PanicReasons reason) override { throw ParserPanic{reason}; }
};

// Readers kept between parses, and this library's one initialisation of the parser platform.
//
// Readers are pooled rather than kept per thread: a thread-local reader would either need a thread
// exit hook into this library (which keeps the library from unloading while such a thread lives) or
// be stranded on threads that outlive it. A pooled reader belongs to no thread, so the shut-down can
// free every one of them before the platform is terminated.
//
// The platform counts initialisations, so the host's own use of the parser is unaffected: this
// library terminates exactly the one initialisation it made. Its panic handler takes effect only when
// that initialisation was the first; if the platform outlives the library (the host initialised it
// too, later), the handler is replaced by the parser's default one before this library's code goes.
class ReaderPool {
public:
    std::unique_ptr<CXMLDocument::Reader> Take()
    {
        std::lock_guard lock(m_mutex);
        if (m_closing || !EnsurePlatform())
            return nullptr;
        if (m_idleCount > 0)
            return std::move(m_idle[--m_idleCount]);
        std::unique_ptr<CXMLDocument::Reader> reader;
        try {
            reader = CXMLDocument::Reader::Make();
        } catch (...) {
            reader.reset();
            TraceParserFailure(u"XML parser", u"no parser could be made");
        }
        if (reader)
            ++m_live;
        return reader;
    }

    // `reusable` is false after a parse that ended in anything but a finished document or a reported
    // error in it (the parser's memory ran out, say): such a reader is dropped, not trusted again.
    void GiveBack(std::unique_ptr<CXMLDocument::Reader> reader, bool reusable) noexcept
    {
        std::lock_guard lock(m_mutex);
        if (!reusable) {
            DiscardLocked(std::move(reader));
            return;
        }
        if (!m_closing && m_idleCount < m_idle.size()) {
            m_idle[m_idleCount++] = std::move(reader);
            return;
        }
        DiscardLocked(std::move(reader));
    }

    void Close() noexcept
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
        while (m_idleCount > 0)
            DiscardLocked(std::move(m_idle[--m_idleCount]));
        TerminateWhenIdle();
    }

private:
    bool EnsurePlatform()
    {
        if (m_initialised)
            return true;
        try {
            XMLPlatformUtils::Initialize(XMLUni::fgXercescDefaultLocale, nullptr, &m_panicHandler);
        } catch (...) {
            TraceParserFailure(u"XML parser", u"the parser platform could not be started");
            return false;
        }
        m_initialised = true;
        // Registered from inside this library, so it runs when the library is unloaded (or at exit),
        // before the library's own shut-down, which never parses.
        if (std::atexit([] { CXMLDocument::ShutDown(); }) != 0) {
            m_closing = true;
            TerminateWhenIdle();
            return false;
        }
        return true;
    }

    void DiscardLocked(std::unique_ptr<CXMLDocument::Reader> reader) noexcept
    {
        reader.reset();
        --m_live;
        TerminateWhenIdle();
    }

    // The last reader is gone once the shut-down has begun: the platform is no longer needed here.
    void TerminateWhenIdle() noexcept
    {
        if (!m_closing || m_live > 0 || !m_initialised)
            return;
        m_initialised = false;
        try {
            XMLPlatformUtils::Terminate();
            if (XMLPlatformUtils::fgUserPanicHandler == &m_panicHandler) {
                // Still initialised by someone else: the parser keeps running after this library's
                // code is gone, so it must not call back into it. The parser deletes its default
                // handler at its own last termination.
                XMLPlatformUtils::fgUserPanicHandler = nullptr;
                XMLPlatformUtils::fgDefaultPanicHandler = std::make_unique<DefaultPanicHandler>().release();
            }
        } catch (...) {
            TraceParserFailure(u"XML parser", u"ending the parser platform failed");
        }
    }

    // How many readers wait for reuse. None for now: a reader reused for the next parse leaves the
    // heap 16 to 48 bytes larger after some calls in the allocation-failure sweep of the fault tests
    // (two runs in four), the same signature the document builders showed when they were reused, so
    // every read takes a fresh reader until that is understood. A fresh reader costs a few
    // microseconds of a read of the shipped file. The pool still counts the live readers, which the
    // balanced shut-down needs.
    static constexpr std::size_t kIdleReaders = 0;

    std::mutex m_mutex;
    ThrowingPanicHandler m_panicHandler;
    std::array<std::unique_ptr<CXMLDocument::Reader>, kIdleReaders> m_idle;
    std::size_t m_idleCount = 0;
    std::size_t m_live = 0;  // readers made and not yet destroyed, pooled or out
    bool m_initialised = false;
    bool m_closing = false;
};

// The pool is never destroyed: a thread still parsing while the process exits gives its reader back
// after static destruction has begun, and the shut-down itself is explicit (Close).
ReaderPool& Pool()
{
    union Storage {
        ReaderPool pool;
        Storage() : pool() {}
        ~Storage() {}
    };
    static Storage storage;
    return storage.pool;
}

}  // namespace

CXMLDocument::CXMLDocument() = default;

CXMLDocument::~CXMLDocument()
{
    Release();
}

bool CXMLDocument::Init()
{
    if (!m_pReader)
        m_pReader = Pool().Take();
    return m_pReader != nullptr;
}

bool CXMLDocument::Load(const std::u16string& path, XmlElement*& root)
{
    root = nullptr;
    m_pTree.reset();
    if (!m_pReader || path.empty())
        return false;
    XmlTreeBuilder& builder = m_pReader->builder;
    try {
        // The file is read whole first, and only when it is a regular file of sane size: a FIFO or
        // device under the configuration's name must not block the host, and the path is never read
        // as URI syntax ('#' or '%' in it stay plain characters).
        const std::optional<std::string> bytes = platform::ReadSmallFile(ToUtf8(path));
        if (!bytes)
            return false;
        auto tree = std::make_unique<Tree>();
        builder.Start(*tree);
        MemBufInputSource source(reinterpret_cast<const XMLByte*>(bytes->data()), bytes->size(), path.c_str(),
                                 false, XMLPlatformUtils::fgMemoryManager);
        source.setCopyBufToStream(false);  // the bytes outlive the parse; no second copy of the file
        m_pReader->parser->parse(source);
        builder.Finish();
        // Without the error check a truncated file would hand back the part before the damage.
        if (builder.Failed() || tree->root == nullptr)
            return false;
        root = tree->root;
        m_pTree = std::move(tree);
        return true;
    } catch (const SAXParseException&) {
        // An error in the file, recorded by the builder, which ended the parse.
    } catch (const std::bad_alloc&) {
        // This library's own allocation failed (the parser reports its own as a parser exception);
        // the scanner was left between two callbacks and starts afresh with the next parse.
        TraceParserFailure(u"XML document", u"reading the file failed");
    } catch (...) {
        // The parser itself failed (its memory ran out, say): its state is not trusted again.
        m_readerSpoiled = true;
        TraceParserFailure(u"XML document", u"reading the file failed");
    }
    builder.Finish();
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
    if (m_pReader)
        Pool().GiveBack(std::move(m_pReader), !std::exchange(m_readerSpoiled, false));
}

void CXMLDocument::ShutDown() noexcept
{
    Pool().Close();
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
    const char16_t* kind = nullptr;
    try {
        throw;
    } catch (const OutOfMemoryException&) {
        kind = u"the parser ran out of memory";
    } catch (const XMLException& e) {
        kind = e.getMessage();
    } catch (const DOMException& e) {
        kind = e.getMessage();
    } catch (const ParserPanic&) {
        kind = u"the parser platform panicked";
    } catch (...) {
        kind = CurrentExceptionKind();
    }
    // The messages belong to the exception, which lives on until the caller's catch block ends.
    TraceSwallowed(where, what, kind);
}

}  // namespace tessaly
