#pragma once
// Thin access layer over the DOM parser: one holder parses one configuration file; two free
// functions find a child element by name and read an attribute. Names and values are UTF-16 and
// cross to and from the parser unchanged.
//
// Parsing is hardened for files that may be hostile: no external DTD or entity is ever loaded, entity
// expansion is bounded, nothing is validated and any fatal error fails the load.
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
class DOMElement;
class DOMImplementation;
class DOMLSParser;
XERCES_CPP_NAMESPACE_END

namespace tessaly {

class CXMLDocument {
public:
    CXMLDocument();
    ~CXMLDocument();  // releases the builder when the caller has not
    CXMLDocument(const CXMLDocument&) = delete;
    CXMLDocument& operator=(const CXMLDocument&) = delete;

    // Makes the synchronous builder (initialising the parser platform once per process when nobody
    // has). False when no builder could be made.
    bool Init();

    // Parses the file at `path`. True and the document element in `root`; false and a null `root`
    // when the file is missing, unreadable, malformed or has no document element.
    bool Load(const std::u16string& path, xercesc::DOMElement*& root);

    // Walks from `start` through one child per name (first case-insensitive match each step). Null when
    // nothing is loaded, `start` is null, `names` is empty or a step finds nothing.
    xercesc::DOMElement* FindElement(const xercesc::DOMElement* start,
                                     std::initializer_list<std::u16string_view> names) const;

    // Frees the builder and with it every document and element it handed out. Safe to call twice.
    void Release();

private:
    struct Guards;  // error handler, resolver and security manager that live as long as the builder

    xercesc::DOMDocument* m_pDocument = nullptr;             // owned by the builder
    xercesc::DOMLSParser* m_pBuilder = nullptr;              // owned here, given back by Release
    xercesc::DOMImplementation* m_pImplementation = nullptr; // owned by the parser library
    std::unique_ptr<Guards> m_pGuards;
};

// First element child of `parent` whose name equals `name` without regard to ASCII case; text,
// comments and processing instructions are skipped. Null for a null parent or no match.
xercesc::DOMElement* FindChildElement(const xercesc::DOMElement* parent, std::u16string_view name);

// `out` is emptied first; true and the attribute's value when `element` has an attribute of exactly
// this name (case-sensitive), false otherwise.
bool GetAttributeValue(const xercesc::DOMElement* element, std::u16string_view name, std::u16string& out);

}  // namespace tessaly
