#pragma once
// The Xerces-C parse alone, without the portable count of entity expansions that ScanXml makes
// first: what the tests hold that count against.
#include "platform/XmlScanner.h"

namespace tessaly::platform {

XmlScanResult ScanXmlWithXercesAlone(std::string_view bytes, std::u16string_view documentName, XmlScanSink& sink);

}  // namespace tessaly::platform
