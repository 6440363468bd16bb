#pragma once
// The checks of the two sections of VomoLoginCfg.xml.

#include "CheckContext.h"
#include "config/CXMLDocument.h"

namespace tessaly::skincheck {

// "VomoLogin": the known texts, the request pattern and the message pattern.
void CheckLoginSection(CheckContext& context, const XmlElement* section);

// "PreLoginFromInternetInfo": window entries, placements, label, button and picture items, the files
// they name and how the controls sit on the sheet.
void CheckWindowSection(CheckContext& context, const XmlElement* section);

}  // namespace tessaly::skincheck
