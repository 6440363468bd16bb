#include <cstdlib>

#include "platform/SettingsStore.h"

namespace tessaly::platform {

std::string SettingsStorePath()
{
    const char* env = std::getenv("TESSALY_REGISTRY");
    if (env && *env)
        return env;
    return "/etc/tessaly/registry.reg";
}

}  // namespace tessaly::platform
