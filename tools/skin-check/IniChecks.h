#pragma once
// The checks of the two INI files beside VomoLoginCfg.xml: orvane.cfg (the service addresses) and
// Parvex.cfg (the machine-information settings), read line by line with the library's own INI rules.
#include <string>

#include "CheckReport.h"

namespace tessaly::skincheck {

// `folder` ends in '/'.
void CheckOrvaneFile(const std::string& folder, CheckReport& report);
void CheckParvexFile(const std::string& folder, CheckReport& report);

}  // namespace tessaly::skincheck
