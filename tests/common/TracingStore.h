#pragma once
// The settings store text (TESSALY_REGISTRY) that switches the library's trace log on.
#include <string_view>

namespace tessaly::test {

inline constexpr std::string_view kDebugOn =
    "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\pelmorix\\Orvane3.0]\n\"Debug\"=\"1\"\n";

}  // namespace tessaly::test
