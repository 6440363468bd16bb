#include "config/CXMLDocument.h"

#include <mutex>
#include <optional>
#include <string>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/framework/Wrapper4InputSource.hpp>
#include <xercesc/util/PanicHandler.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/util/XMLUni.hpp>

#include "platform/FileIO.h"
#include "support/WideText.h"

namespace tessaly {

using namespace xercesc;

namespace {

// Entity expansions allowed in one document. Configuration files need none beyond the predefined
// ones; the bound makes a "billion laughs" file fail at once instead of eating memory.
constexpr XMLSize_t kEntityExpansionLimit = 64;

// Thrown instead of ending the process when the parser platform panics.
struct ParserPanic {
    PanicHandler::PanicReasons reason;
};

class ThrowingPanicHandler final : public PanicHandler {
public:
    void panic(const PanicReasons reason) override { throw ParserPanic{reason}; }
};

// Initialises the platform once for the whole process and never terminates it: the host may use the
// parser too, and the platform counts initialisations, so an extra one is harmless. The throwing panic
// handler only takes effect when this call is the first initialisation.
bool EnsurePlatform()
{
    static ThrowingPanicHandler panicHandler;
    static bool ready = false;
    static std::once_flag once;
    std::call_once(once, [] {
        try {
            XMLPlatformUtils::Initialize(XMLUni::fgXercescDefaultLocale, nullptr, &panicHandler);
            ready = true;
        } catch (...) {
            ready = false;
        }
    });
    return ready;
}

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
}

}  // namespace

struct CXMLDocument::Guards {
    NullResourceResolver resolver;
    RecordingErrorHandler errors;
    SecurityManager security;
};

CXMLDocument::CXMLDocument() = default;

CXMLDocument::~CXMLDocument()
{
    Release();
}

bool CXMLDocument::Init()
{
    if (m_pBuilder != nullptr)
        return true;
    if (!EnsurePlatform())
        return false;
    try {
        XMLCh feature[64] = {};
        XMLString::transcode("LS", feature, 63, XMLPlatformUtils::fgMemoryManager);
        m_pImplementation = DOMImplementationRegistry::getDOMImplementation(feature);
        if (m_pImplementation == nullptr)
            return false;
        auto guards = std::make_unique<Guards>();
        guards->security.setEntityExpansionLimit(kEntityExpansionLimit);
        auto* ls = static_cast<DOMImplementationLS*>(m_pImplementation);
        m_pBuilder = ls->createLSParser(DOMImplementationLS::MODE_SYNCHRONOUS, nullptr,
                                        XMLPlatformUtils::fgMemoryManager, nullptr);
        if (m_pBuilder == nullptr)
            return false;
        m_pGuards = std::move(guards);
        HardenParser(*m_pBuilder, m_pGuards->resolver, m_pGuards->errors, m_pGuards->security);
        m_pBuilder->resetDocumentPool();
        return true;
    } catch (...) {
        Release();
        return false;
    }
}

bool CXMLDocument::Load(const std::u16string& path, DOMElement*& root)
{
    root = nullptr;
    m_pDocument = nullptr;
    if (m_pBuilder == nullptr || path.empty())
        return false;
    try {
        m_pGuards->errors.Clear();
        // The file is read whole first, and only when it is a regular file of sane size: a FIFO or
        // device under the configuration's name must not block the host, and the path is never
        // read as URI syntax ('#' or '%' in it stay plain characters).
        const std::optional<std::string> bytes = platform::ReadSmallFile(ToUtf8(path));
        if (!bytes)
            return false;
        MemBufInputSource source(reinterpret_cast<const XMLByte*>(bytes->data()), bytes->size(), path.c_str(),
                                 false, XMLPlatformUtils::fgMemoryManager);
        Wrapper4InputSource input(&source, false, XMLPlatformUtils::fgMemoryManager);
        DOMDocument* document = m_pBuilder->parse(&input);
        // Without this check a truncated file would hand back the part before the damage.
        if (document == nullptr || m_pGuards->errors.Failed())
            return false;
        DOMElement* element = document->getDocumentElement();
        if (element == nullptr)
            return false;
        m_pDocument = document;
        root = element;
        return true;
    } catch (...) {
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
    if (m_pBuilder != nullptr) {
        try {
            m_pBuilder->release();
        } catch (...) {
            // Nothing more can be done; the builder is gone either way.
        }
    }
    m_pBuilder = nullptr;
    m_pDocument = nullptr;
    m_pGuards.reset();
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
        out.clear();
        return false;
    }
}

}  // namespace tessaly
