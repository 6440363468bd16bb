#include "config/CXMLDocument.h"

#include <array>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/framework/Wrapper4InputSource.hpp>
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

namespace {

// Entity expansions allowed in one document. Configuration files need none beyond the predefined
// ones; the bound makes a "billion laughs" file fail at once instead of eating memory.
constexpr XMLSize_t kEntityExpansionLimit = 64;

// Resolves nothing, so no external DTD, entity or schema can ever be fetched.
class NullResourceResolver final : public DOMLSResourceResolver {
public:
    DOMLSInput* resolveResource(const XMLCh*, const XMLCh*, const XMLCh*, const XMLCh*, const XMLCh*) override
    {
        return nullptr;
    }
};

// Remembers whether the parse hit an error; stops at the first fatal one.
class RecordingErrorHandler final : public DOMErrorHandler {
public:
    bool handleError(const DOMError& error) override
    {
        if (error.getSeverity() == DOMError::DOM_SEVERITY_WARNING)
            return true;
        failed_ = true;
        return false;
    }

    void Clear() { failed_ = false; }
    bool Failed() const { return failed_; }

private:
    bool failed_ = false;
};

void HardenParser(DOMLSParser& parser, DOMLSResourceResolver& resolver, DOMErrorHandler& errors,
                  SecurityManager& security)
{
    DOMConfiguration* config = parser.getDomConfig();
    config->setParameter(XMLUni::fgDOMValidate, false);
    config->setParameter(XMLUni::fgXercesSchema, false);
    config->setParameter(XMLUni::fgXercesLoadSchema, false);
    config->setParameter(XMLUni::fgXercesLoadExternalDTD, false);
    config->setParameter(XMLUni::fgXercesDisableDefaultEntityResolution, true);
    config->setParameter(XMLUni::fgDOMResourceResolver, &resolver);
    config->setParameter(XMLUni::fgXercesSecurityManager, &security);
    config->setParameter(XMLUni::fgDOMErrorHandler, &errors);
    config->setParameter(XMLUni::fgDOMEntities, false);  // entity references replaced by their text
    config->setParameter(XMLUni::fgDOMNamespaces, false);
    config->setParameter(XMLUni::fgDOMComments, false);  // no reader looks at them; saves their nodes
}

}  // namespace

// A parser hardened once, when it is made, and reused for one document after another. Destroying
// it frees the parser and every document still in its pool.
struct CXMLDocument::Builder {
    NullResourceResolver resolver;
    RecordingErrorHandler errors;
    SecurityManager security;
    DOMLSParser* parser = nullptr;

    Builder() = default;
    Builder(const Builder&) = delete;
    Builder& operator=(const Builder&) = delete;
    ~Builder()
    {
        if (parser == nullptr)
            return;
        try {
            parser->release();
        } catch (...) {
            // Nothing more can be done; the parser is gone either way.
            TraceParserFailure(u"XML parser", u"releasing the parser failed");
        }
    }

    static std::unique_ptr<Builder> Make()
    {
        XMLCh feature[64] = {};
        XMLString::transcode("LS", feature, 63, XMLPlatformUtils::fgMemoryManager);
        auto* implementation =
            static_cast<DOMImplementationLS*>(DOMImplementationRegistry::getDOMImplementation(feature));
        if (implementation == nullptr)
            return nullptr;
        auto builder = std::make_unique<Builder>();
        builder->security.setEntityExpansionLimit(kEntityExpansionLimit);
        builder->parser = implementation->createLSParser(DOMImplementationLS::MODE_SYNCHRONOUS, nullptr,
                                                         XMLPlatformUtils::fgMemoryManager, nullptr);
        if (builder->parser == nullptr)
            return nullptr;
        HardenParser(*builder->parser, builder->resolver, builder->errors, builder->security);
        return builder;
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

// Builders kept between parses, and this library's one initialisation of the parser platform.
//
// Builders are pooled rather than kept per thread: a thread-local builder would either need a thread
// exit hook into this library (which keeps the library from unloading while such a thread lives) or
// be stranded on threads that outlive it. A pooled builder belongs to no thread, so the shut-down can
// free every one of them before the platform is terminated.
//
// The platform counts initialisations, so the host's own use of the parser is unaffected: this
// library terminates exactly the one initialisation it made. Its panic handler takes effect only when
// that initialisation was the first; if the platform outlives the library (the host initialised it
// too, later), the handler is replaced by the parser's default one before this library's code goes.
class BuilderPool {
public:
    std::unique_ptr<CXMLDocument::Builder> Take()
    {
        std::lock_guard lock(m_mutex);
        if (m_closing || !EnsurePlatform())
            return nullptr;
        if (m_idleCount > 0)
            return std::move(m_idle[--m_idleCount]);
        std::unique_ptr<CXMLDocument::Builder> builder;
        try {
            builder = CXMLDocument::Builder::Make();
        } catch (...) {
            builder.reset();
            TraceParserFailure(u"XML parser", u"no parser could be made");
        }
        if (builder)
            ++m_live;
        return builder;
    }

    void GiveBack(std::unique_ptr<CXMLDocument::Builder> builder) noexcept
    {
        try {
            builder->parser->resetDocumentPool();  // frees the document just read
        } catch (...) {
            TraceParserFailure(u"XML parser", u"freeing the documents read failed; the parser is dropped");
            Discard(std::move(builder));
            return;
        }
        std::lock_guard lock(m_mutex);
        if (!m_closing && m_idleCount < m_idle.size()) {
            m_idle[m_idleCount++] = std::move(builder);
            return;
        }
        DiscardLocked(std::move(builder));
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

    void Discard(std::unique_ptr<CXMLDocument::Builder> builder) noexcept
    {
        std::lock_guard lock(m_mutex);
        DiscardLocked(std::move(builder));
    }

    void DiscardLocked(std::unique_ptr<CXMLDocument::Builder> builder) noexcept
    {
        builder.reset();
        --m_live;
        TerminateWhenIdle();
    }

    // The last builder is gone once the shut-down has begun: the platform is no longer needed here.
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

    // How many builders wait for reuse. None for now: a builder reused for the next parse keeps
    // growing the parser's own tables by a hundred bytes or more on some parses (seen as heap growth
    // per call under failure injection), so every read takes a fresh builder until that is understood.
    // The pool still counts the live builders, which the balanced shut-down needs.
    static constexpr std::size_t kIdleBuilders = 0;

    std::mutex m_mutex;
    ThrowingPanicHandler m_panicHandler;
    std::array<std::unique_ptr<CXMLDocument::Builder>, kIdleBuilders> m_idle;
    std::size_t m_idleCount = 0;
    std::size_t m_live = 0;  // builders made and not yet destroyed, pooled or out
    bool m_initialised = false;
    bool m_closing = false;
};

// The pool is never destroyed: a thread still parsing while the process exits gives its builder back
// after static destruction has begun, and the shut-down itself is explicit (Close).
BuilderPool& Pool()
{
    union Storage {
        BuilderPool pool;
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
    if (!m_pBuilder)
        m_pBuilder = Pool().Take();
    return m_pBuilder != nullptr;
}

bool CXMLDocument::Load(const std::u16string& path, DOMElement*& root)
{
    root = nullptr;
    m_pDocument = nullptr;
    if (!m_pBuilder || path.empty())
        return false;
    try {
        m_pBuilder->errors.Clear();
        // The file is read whole first, and only when it is a regular file of sane size: a FIFO or
        // device under the configuration's name must not block the host, and the path is never
        // read as URI syntax ('#' or '%' in it stay plain characters).
        const std::optional<std::string> bytes = platform::ReadSmallFile(ToUtf8(path));
        if (!bytes)
            return false;
        MemBufInputSource source(reinterpret_cast<const XMLByte*>(bytes->data()), bytes->size(), path.c_str(),
                                 false, XMLPlatformUtils::fgMemoryManager);
        Wrapper4InputSource input(&source, false, XMLPlatformUtils::fgMemoryManager);
        DOMDocument* document = m_pBuilder->parser->parse(&input);
        // Without this check a truncated file would hand back the part before the damage.
        if (document == nullptr || m_pBuilder->errors.Failed())
            return false;
        DOMElement* element = document->getDocumentElement();
        if (element == nullptr)
            return false;
        m_pDocument = document;
        root = element;
        return true;
    } catch (...) {
        TraceParserFailure(u"XML document", u"reading the file failed");
        return false;
    }
}

DOMElement* CXMLDocument::FindElement(const DOMElement* start, std::initializer_list<std::u16string_view> names) const
{
    if (m_pDocument == nullptr || start == nullptr || names.size() == 0)
        return nullptr;
    DOMElement* current = const_cast<DOMElement*>(start);
    for (std::u16string_view name : names) {
        current = FindChildElement(current, name);
        if (current == nullptr)
            return nullptr;
    }
    return current;
}

void CXMLDocument::Release()
{
    m_pDocument = nullptr;
    if (m_pBuilder)
        Pool().GiveBack(std::move(m_pBuilder));
}

void CXMLDocument::ShutDown() noexcept
{
    Pool().Close();
}

DOMElement* FindChildElement(const DOMElement* parent, std::u16string_view name)
{
    if (parent == nullptr)
        return nullptr;
    try {
        for (DOMNode* node = parent->getFirstChild(); node != nullptr; node = node->getNextSibling()) {
            if (node->getNodeType() != DOMNode::ELEMENT_NODE)
                continue;
            const XMLCh* nodeName = node->getNodeName();
            if (nodeName != nullptr && EqualsNoCase(std::u16string_view(nodeName), name))
                return static_cast<DOMElement*>(node);
        }
    } catch (...) {
        TraceParserFailure(u"XML document", u"looking for a child element failed");
        return nullptr;
    }
    return nullptr;
}

bool GetAttributeValue(const DOMElement* element, std::u16string_view name, std::u16string& out)
{
    out.clear();
    if (element == nullptr)
        return false;
    try {
        const std::u16string key(name);
        const DOMAttr* attribute = element->getAttributeNode(key.c_str());
        if (attribute == nullptr)
            return false;
        const XMLCh* value = attribute->getValue();
        if (value != nullptr)
            out.assign(value);
        return true;
    } catch (...) {
        TraceParserFailure(u"XML document", u"reading an attribute failed");
        out.clear();
        return false;
    }
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
