#include "platform/ModulePaths.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <memory>
#include <mutex>

#include "platform/TextEncoding.h"

namespace tessaly::platform {

namespace {

struct Overrides {
    std::mutex lock;
    std::u16string library;
    std::u16string host;
};

// Never destroyed, only emptied: the redirect worker may still ask for the library's folder while the
// host's exit() tears the library's static objects down.
union OverridesStorage {
    OverridesStorage() : value() {}
    ~OverridesStorage()
    {
        std::lock_guard guard(value.lock);
        std::u16string().swap(value.library);
        std::u16string().swap(value.host);
    }
    Overrides value;
};

Overrides& TheOverrides()
{
    static OverridesStorage overrides;
    return overrides.value;
}

std::string RealPath(const char* path)
{
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path, nullptr), &std::free);
    return real ? std::string(real.get()) : std::string();
}

std::string ModuleFile(const void* address)
{
    if (!address)
        return RealPath("/proc/self/exe");
    Dl_info info {};
    link_map* map = nullptr;
    if (::dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 || !map)
        return {};
    // The main program appears with an empty name.
    if (!map->l_name || !*map->l_name)
        return RealPath("/proc/self/exe");
    return RealPath(map->l_name);
}

}  // namespace

std::u16string ModuleFolder(const void* address)
{
    {
        Overrides& o = TheOverrides();
        std::lock_guard guard(o.lock);
        const std::u16string& forced = address ? o.library : o.host;
        if (!forced.empty())
            return forced;
    }
    const std::string file = ModuleFile(address);
    const auto slash = file.rfind('/');
    if (slash == std::string::npos)
        return {};
    return Utf8ToUtf16(file.substr(0, slash + 1));
}

void OverrideModuleFolders(std::u16string library, std::u16string host)
{
    Overrides& o = TheOverrides();
    std::lock_guard guard(o.lock);
    o.library = std::move(library);
    o.host = std::move(host);
}

}  // namespace tessaly::platform
