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
class DOMLSParser;
XERCES_CPP_NAMESPACE_END

namespace tessaly {

class CXMLDocument {
public:
    CXMLDocument();
    ~CXMLDocument();  // releases the builder when the caller has not
    CXMLDocument(const CXMLDocument&) = delete;
    CXMLDocument& operator=(const CXMLDocument&) = delete;

    // Takes a synchronous builder: one given back by an earlier document when there is one, else a
    // new one (the parser platform is initialised on first use). False when no builder could be had,
    // also once the library has begun to shut down.
    bool Init();

    // Parses the file at `path`. True and the document element in `root`; false and a null `root`
    // when the file is missing, unreadable, malformed or has no document element.
    bool Load(const std::u16string& path, xercesc::DOMElement*& root);

    // Walks from `start` through one child per name (first case-insensitive match each step). Null when
    // nothing is loaded, `start` is null, `names` is empty or a step finds nothing.
    xercesc::DOMElement* FindElement(const xercesc::DOMElement* start,
                                     std::initializer_list<std::u16string_view> names) const;

    // Frees every document and element the builder handed out and gives the builder back for reuse.
    // Safe to call twice.
    void Release();

    // Frees the builders kept for reuse and ends this library's use of the parser platform: the
    // initialisation it made is terminated as soon as no builder is out any more. Runs by itself when
    // the library is unloaded or the process ends; later Init calls fail.
    static void ShutDown() noexcept;

    struct Builder;  // a hardened parser with its error handler, resolver and security manager

private:
    xercesc::DOMDocument* m_pDocument = nullptr;  // owned by the builder
    std::unique_ptr<Builder> m_pBuilder;          // taken by Init, given back by Release
};

// First element child of `parent` whose name equals `name` without regard to ASCII case; text,
// comments and processing instructions are skipped. Null for a null parent or no match.
xercesc::DOMElement* FindChildElement(const xercesc::DOMElement* parent, std::u16string_view name);

// `out` is emptied first; true and the attribute's value when `element` has an attribute of exactly
// this name (case-sensitive), false otherwise.
bool GetAttributeValue(const xercesc::DOMElement* element, std::u16string_view name, std::u16string& out);

// For a catch block that swallows whatever the parser or the code around it threw: writes
// "--<where>: <what> (<kind>)" to the trace, the kind naming the parser's error message, its memory
// running out, a panic of the parser platform or a standard exception. Allocates nothing itself.
void TraceParserFailure(std::u16string_view where, std::u16string_view what) noexcept;

}  // namespace tessaly
