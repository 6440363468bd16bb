// The XML scanner on Xerces-C's SAX2 reader.
#include "platform/XmlScanner.h"
#include "platform/posix/XercesXmlScanner.h"

#include <cstdlib>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

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

#include "platform/XmlEntityBudget.h"

namespace tessaly::platform {

using namespace xercesc;

namespace {

std::u16string_view View(const XMLCh* text)
{
    return {text, XMLString::stringLen(text)};
}

// Ends the parse of a document nested deeper than the bound.
struct NestedTooDeep {};

// Hands what the scanner reports to the sink. Comments and processing instructions are not reported
// by SAX2 at all; text outside the document element is only white space and is dropped here.
class SinkHandler final : public DefaultHandler {
public:
    void Start(XmlScanSink& sink)
    {
        m_sink = &sink;
        m_depth = 0;
        m_failed = false;
    }

    void Finish() { m_sink = nullptr; }
    bool Failed() const { return m_failed; }

    void startElement(const XMLCh*, const XMLCh*, const XMLCh* qname, const Attributes& attributes) override
    {
        if (m_depth == kXmlElementDepthLimit) {
            m_failed = true;
            throw NestedTooDeep{};
        }
        const XMLSize_t count = attributes.getLength();
        m_attributes.resize(count);
        for (XMLSize_t i = 0; i < count; ++i)
            m_attributes[i] = {View(attributes.getQName(i)), View(attributes.getValue(i))};
        m_sink->StartElement(View(qname), m_attributes);
        ++m_depth;
    }

    void endElement(const XMLCh*, const XMLCh*, const XMLCh*) override
    {
        if (m_depth > 0)
            --m_depth;
        m_sink->EndElement();
    }

    void characters(const XMLCh* chars, const XMLSize_t length) override { Text(chars, length); }
    void ignorableWhitespace(const XMLCh* chars, const XMLSize_t length) override { Text(chars, length); }

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

    void Text(const XMLCh* chars, XMLSize_t length)
    {
        if (m_depth > 0 && length > 0)
            m_sink->Characters({chars, length});
    }

    XmlScanSink* m_sink = nullptr;
    std::vector<XmlScanAttribute> m_attributes;
    std::size_t m_depth = 0;
    bool m_failed = false;
};

// Resolves nothing, so no external DTD, entity or schema can ever be fetched.
class NullEntityResolver final : public EntityResolver {
public:
    InputSource* resolveEntity(const XMLCh*, const XMLCh*) override { return nullptr; }
};

// A scanner hardened once, when it is made.
struct Reader {
    NullEntityResolver resolver;
    SinkHandler handler;
    SecurityManager security;
    std::unique_ptr<SAX2XMLReader> parser;

    static std::unique_ptr<Reader> Make()
    {
        auto reader = std::make_unique<Reader>();
        reader->security.setEntityExpansionLimit(kXmlEntityExpansionLimit);
        reader->parser.reset(XMLReaderFactory::createXMLReader(XMLPlatformUtils::fgMemoryManager));
        if (!reader->parser)
            throw std::runtime_error("no XML parser could be made");
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
        parser.setContentHandler(&reader->handler);
        parser.setErrorHandler(&reader->handler);
        return reader;
    }
};

// Thrown instead of ending the process when the parser platform panics.
struct ParserPanic {
    PanicHandler::PanicReasons reason;
};

class ThrowingPanicHandler final : public PanicHandler {
public:
    void panic(const PanicReasons reason) override { throw ParserPanic{reason}; }
};

// This library's one initialisation of the parser platform, and the count of readers alive.
//
// Every scan takes a fresh reader: one reused for the next parse left the heap 16 to 48 bytes larger
// after some calls in the allocation-failure sweep of the fault tests, the same signature the
// document builders showed when they were reused. A fresh reader costs a few microseconds of a read
// of the shipped file.
//
// The platform counts initialisations, so the host's own use of the parser is unaffected: this
// library terminates exactly the one initialisation it made, once no reader is alive any more. Its
// panic handler takes effect only when that initialisation was the first; if the platform outlives
// the library (the host initialised it too, later), the handler is replaced by the parser's default
// one before this library's code goes.
class ParserPlatform {
public:
    std::unique_ptr<Reader> Take()
    {
        std::lock_guard lock(m_mutex);
        if (m_closing)
            throw std::runtime_error("the XML parser has been shut down");
        EnsureStarted();
        auto reader = Reader::Make();
        ++m_live;
        return reader;
    }

    void GiveBack(std::unique_ptr<Reader> reader) noexcept
    {
        std::lock_guard lock(m_mutex);
        reader.reset();
        --m_live;
        TerminateWhenIdle();
    }

    void Close() noexcept
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
        TerminateWhenIdle();
    }

private:
    void EnsureStarted()
    {
        if (m_initialised)
            return;
        XMLPlatformUtils::Initialize(XMLUni::fgXercescDefaultLocale, nullptr, &m_panicHandler);
        m_initialised = true;
        // Registered from inside this library, so it runs when the library is unloaded (or at exit),
        // before the library's own shut-down, which never parses.
        if (std::atexit([] { EndXmlScanning(); }) != 0) {
            m_closing = true;
            TerminateWhenIdle();
            throw std::runtime_error("the XML parser's shut-down could not be registered");
        }
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
            // Nothing more can be undone; the parser library stays as it is.
        }
    }

    std::mutex m_mutex;
    ThrowingPanicHandler m_panicHandler;
    std::size_t m_live = 0;  // readers made and not yet destroyed
    bool m_initialised = false;
    bool m_closing = false;
};

// Never destroyed: a thread still parsing while the process exits gives its reader back after static
// destruction has begun, and the shut-down itself is explicit (Close).
ParserPlatform& Platform()
{
    union Storage {
        ParserPlatform platform;
        Storage() : platform() {}
        ~Storage() {}
    };
    static Storage storage;
    return storage.platform;
}

class ReaderLease {
public:
    ReaderLease() : m_reader(Platform().Take()) {}
    ~ReaderLease() { Platform().GiveBack(std::move(m_reader)); }
    ReaderLease(const ReaderLease&) = delete;
    ReaderLease& operator=(const ReaderLease&) = delete;
    Reader& operator*() const { return *m_reader; }

private:
    std::unique_ptr<Reader> m_reader;
};

XmlScanResult Scan(Reader& reader, std::string_view bytes, std::u16string_view documentName, XmlScanSink& sink)
{
    const std::u16string name(documentName);
    reader.handler.Start(sink);
    try {
        // The bytes outlive the parse: no second copy of the file, and the name is never read as a URI.
        MemBufInputSource source(reinterpret_cast<const XMLByte*>(bytes.data()), bytes.size(), name.c_str(),
                                 false, XMLPlatformUtils::fgMemoryManager);
        source.setCopyBufToStream(false);
        reader.parser->parse(source);
    } catch (const SAXParseException&) {
        // An error in the file, recorded by the handler, which ended the parse.
    } catch (...) {
        if (!reader.handler.Failed()) {
            reader.handler.Finish();
            throw;
        }
    }
    const bool failed = reader.handler.Failed();
    reader.handler.Finish();
    return failed ? XmlScanResult::Malformed : XmlScanResult::Parsed;
}

}  // namespace

// Xerces counts the entity expansions of the document's content itself, but not those of the DTD's
// default attribute values and parameter entities: the portable count comes first.
XmlScanResult ScanXml(std::string_view bytes, std::u16string_view documentName, XmlScanSink& sink)
{
    ReaderLease lease;
    if (!EntityExpansionsWithinBound(bytes))
        return XmlScanResult::Malformed;
    return Scan(*lease, bytes, documentName, sink);
}

XmlScanResult ScanXmlWithXercesAlone(std::string_view bytes, std::u16string_view documentName, XmlScanSink& sink)
{
    ReaderLease lease;
    return Scan(*lease, bytes, documentName, sink);
}

void EndXmlScanning() noexcept
{
    Platform().Close();
}

const char16_t* CurrentXmlParserExceptionKind() noexcept
{
    try {
        throw;
    } catch (const OutOfMemoryException&) {
        return u"the parser ran out of memory";
    } catch (const XMLException& e) {
        return e.getMessage();
    } catch (const DOMException& e) {
        return e.getMessage();
    } catch (const ParserPanic&) {
        return u"the parser platform panicked";
    } catch (...) {
        return nullptr;
    }
}

}  // namespace tessaly::platform
