#pragma once
// Where the Linux settings store lives, open to tests and tools.
#include <string>

namespace tessaly::platform {

// Path of the settings file in force (TESSALY_REGISTRY, else /etc/tessaly/registry.reg).
std::string SettingsStorePath();

}  // namespace tessaly::platform
