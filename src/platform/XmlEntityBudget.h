#pragma once
// The count of entity expansions a document's parse would make, taken from the document's bytes
// before any parser sees them, so that the bound of XmlScanner.h holds the same way on every system
// whatever the system's parser counts (MSXML counts nothing; Xerces-C does not count the expansions
// inside the DTD's default attribute values and parameter entities).
#include <string_view>

namespace tessaly::platform {

// False when parsing `document` would expand more than kXmlEntityExpansionLimit entities, counting
// every reference to a declared general or parameter entity, nested ones, those in attribute values
// and in the DTD's default attribute values (the predefined entities and character references do
// not count). False also for a reference that reaches itself again, and for one to an entity the
// document does not declare itself with its value: an external entity is never read, and an
// undeclared one is an error (which Xerces-C passes over once the DTD has an external part or a
// parameter entity reference, and MSXML not always). Anything else wrong in the document is the
// parser's to find; without a DTD the parser refuses every reference itself. The document is read in
// UTF-8, or UTF-16 when it begins so (with or without a byte order mark); any other encoding is read
// as its ASCII bytes.
bool EntityExpansionsWithinBound(std::string_view document);

}  // namespace tessaly::platform
