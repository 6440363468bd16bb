// The library's folder and the machine id on Linux: the folder from the dynamic loader, the id from
// /etc/machine-id (or D-Bus's copy of it).
#include "SystemIdentity.h"

#include <dlfcn.h>

#include <fstream>

namespace parvex {

std::filesystem::path LibraryFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&LibraryFolder), &info) == 0 || !info.dli_fname)
        return {};
    return std::filesystem::path(info.dli_fname).parent_path();
}

std::optional<std::string> SystemMachineId()
{
    for (const char* path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
        std::ifstream in(path);
        std::string id;
        if (in && std::getline(in, id))
            if (auto cleaned = CleanMachineId(id))
                return cleaned;
    }
    return std::nullopt;
}

}  // namespace parvex
