#include "LoadedModule.h"

#include <dlfcn.h>

namespace tessaly::host {

std::unique_ptr<LoadedModule> LoadedModule::Open(const std::string& path, std::string& error)
{
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = ::dlerror();
        error = "cannot load " + path + ": " + (reason ? reason : "unknown error");
        return nullptr;
    }
    return std::make_unique<LoadedModule>(Key{}, handle);
}

LoadedModule::~LoadedModule() { ::dlclose(m_handle); }

LoadedModule::AnyFunction LoadedModule::Find(const char* name) const
{
    return reinterpret_cast<AnyFunction>(::dlsym(m_handle, name));
}

}  // namespace tessaly::host
