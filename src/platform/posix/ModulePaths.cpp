#include "platform/ModulePaths.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <mutex>

#include "platform/TextEncoding.h"

namespace tessaly::platform {

namespace {

// A module's file as resolved, with the identity the file had then.
struct ResolvedFile {
    std::string file;  // the real path, empty when nothing is cached
    std::u16string folder;
    dev_t device = 0;
    ino_t inode = 0;
};

struct Overrides {
    std::mutex lock;
    std::u16string library;
    std::u16string host;
    // The binary holding this code and the host executable stay mapped for as long as this code is
    // loaded, so their paths are resolved once (realpath reads the link of every component) and only
    // checked on later calls. Other binaries are resolved on every call, since one may be unloaded
    // and another mapped at the same place.
    ResolvedFile ownFile;
    ResolvedFile hostFile;
    bool closing = false;  // set at tear-down: nothing is cached any more
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
        value.ownFile = {};
        value.hostFile = {};
        value.closing = true;
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

link_map* MapContaining(const void* address)
{
    Dl_info info {};
    link_map* map = nullptr;
    if (::dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0)
        return nullptr;
    return map;
}

bool IsMainProgram(const link_map* map) { return !map->l_name || !*map->l_name; }

// Which of the two cached files answers for `address`; null when the file is resolved anew.
ResolvedFile* CacheSlot(Overrides& o, const void* address, const link_map* map)
{
    if (!address || (map && IsMainProgram(map)))
        return &o.hostFile;
    static const char ownAnchor = 0;
    static const link_map* const ownMap = MapContaining(&ownAnchor);
    if (map && map == ownMap)
        return &o.ownFile;
    return nullptr;
}

const char* LoadedName(const void* address, const link_map* map)
{
    return (!address || IsMainProgram(map)) ? "/proc/self/exe" : map->l_name;
}

// The cached answer still holds while the name the module was loaded under and the resolved path
// both lead to the file that was resolved: two stat calls instead of a link read per component. A
// module file removed or renamed since is resolved again (and then found missing, as before).
bool StillResolves(const ResolvedFile& cached, const char* loadedName)
{
    if (cached.file.empty())
        return false;
    struct stat loaded {};
    struct stat resolved {};
    return ::stat(loadedName, &loaded) == 0 && ::stat(cached.file.c_str(), &resolved) == 0 &&
           loaded.st_dev == cached.device && loaded.st_ino == cached.inode && resolved.st_dev == cached.device &&
           resolved.st_ino == cached.inode;
}

std::u16string FolderOf(const std::string& file)
{
    const auto slash = file.rfind('/');
    if (slash == std::string::npos)
        return {};
    return Utf8ToUtf16(file.substr(0, slash + 1));
}

}  // namespace

std::u16string ModuleFolder(const void* address)
{
    Overrides& o = TheOverrides();
    {
        std::lock_guard guard(o.lock);
        const std::u16string& forced = address ? o.library : o.host;
        if (!forced.empty())
            return forced;
    }
    const link_map* map = address ? MapContaining(address) : nullptr;
    if (address && !map)
        return {};
    const char* loadedName = LoadedName(address, map);
    {
        std::lock_guard guard(o.lock);
        if (const ResolvedFile* cached = CacheSlot(o, address, map); cached && StillResolves(*cached, loadedName))
            return cached->folder;
    }
    ResolvedFile resolved;
    resolved.file = RealPath(loadedName);
    resolved.folder = FolderOf(resolved.file);
    struct stat info {};
    if (resolved.folder.empty() || ::stat(resolved.file.c_str(), &info) != 0)
        return resolved.folder;
    resolved.device = info.st_dev;
    resolved.inode = info.st_ino;
    std::lock_guard guard(o.lock);
    if (ResolvedFile* slot = CacheSlot(o, address, map); slot && !o.closing)
        *slot = resolved;
    return resolved.folder;
}

void OverrideModuleFolders(std::u16string library, std::u16string host)
{
    Overrides& o = TheOverrides();
    std::lock_guard guard(o.lock);
    o.library = std::move(library);
    o.host = std::move(host);
}

}  // namespace tessaly::platform
