// The settings store on Linux: a .reg file read whole on every look-up.
#include "platform/posix/SettingsStoreFile.h"

#include <cstdlib>

#include "platform/FileIO.h"
#include "platform/SettingsStore.h"

namespace tessaly::platform {

std::string SettingsStorePath()
{
    const char* env = std::getenv("TESSALY_REGISTRY");
    if (env && *env)
        return env;
    return "/etc/tessaly/registry.reg";
}

std::optional<SettingValue> ReadSetting(std::u16string_view key, std::u16string_view name)
{
    const auto bytes = ReadSmallFile(SettingsStorePath());
    if (!bytes)
        return std::nullopt;
    return FindSettingInText(*bytes, key, name);
}

}  // namespace tessaly::platform
