#pragma once
// The system's XML parser, reduced to what the configuration reader needs: one pass over a document
// held in memory that reports its elements, their attributes and the character data, with every
// entity reference already replaced. Xerces-C on Linux, MSXML 6 on Windows; both are hardened the
// same way for files that may be hostile: nothing is ever read from outside the document (an
// external DTD is ignored, external entities are never loaded), internal entities expand within the
// bound below, nothing is validated, and any error fails the whole document.
#include <cstddef>
#include <span>
#include <string_view>

namespace tessaly::platform {

// Entity expansions allowed in one document (nested ones count, and so do those inside the DTD; the
// predefined entities and character references do not). Configuration files need none; the bound
// makes a "billion laughs" file fail at once instead of eating memory.
inline constexpr std::size_t kXmlEntityExpansionLimit = 64;

// Elements nested deeper than this fail the document (the document element is at depth 1): MSXML 6
// allows no deeper nesting by default, and both systems refuse the same documents.
inline constexpr std::size_t kXmlElementDepthLimit = 256;

struct XmlScanAttribute {
    std::u16string_view name;
    std::u16string_view value;  // normalised as the parser reports it, references replaced
};

// Receives the document's content in document order. Text outside the document element, comments
// and processing instructions are not reported. A run of character data may arrive in several
// pieces. The views are valid only during the call.
class XmlScanSink {
public:
    virtual void StartElement(std::u16string_view name, std::span<const XmlScanAttribute> attributes) = 0;
    virtual void EndElement() = 0;
    virtual void Characters(std::u16string_view text) = 0;

protected:
    ~XmlScanSink() = default;
};

enum class XmlScanResult {
    Parsed,     // the whole document was well-formed and reported
    Malformed,  // an error in the document (or over the expansion bound); what was reported is void
};

// Parses `bytes` (any encoding the document declares; UTF-8 when it declares none). `documentName`
// is for the parser's messages only: nothing is ever read through it. Anything but a verdict on the
// document is an exception: the parser could not be started (or scanning has ended), it failed
// itself (its memory ran out), or the sink threw. The parser is left in order either way.
XmlScanResult ScanXml(std::string_view bytes, std::u16string_view documentName, XmlScanSink& sink);

// Ends this library's use of the parser: readers kept for reuse are freed and what the library set up
// for the parser is undone once no scan is running. Later scans fail. Runs by itself when the library
// is unloaded or the process ends.
void EndXmlScanning() noexcept;

// Inside a catch block: the parser's own description of the exception being handled, or nullptr when
// it is not one of the parser's.
const char16_t* CurrentXmlParserExceptionKind() noexcept;

}  // namespace tessaly::platform
