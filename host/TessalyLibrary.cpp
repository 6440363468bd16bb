#include "TessalyLibrary.h"

#include <dlfcn.h>

namespace tessaly::host {

void TessalyLibrary::Closer::operator()(void* handle) const
{
    if (handle)
        dlclose(handle);
}

std::unique_ptr<TessalyLibrary> TessalyLibrary::Open(const std::string& path, std::string& error)
{
    auto library = std::make_unique<TessalyLibrary>(Key{});
    library->m_handle.reset(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!library->m_handle) {
        const char* reason = dlerror();
        error = "cannot load " + path + ": " + (reason ? reason : "unknown error");
        return nullptr;
    }
    library->m_preLogin = reinterpret_cast<PreLoginFn>(dlsym(library->m_handle.get(), "PreLogin"));
    library->m_redirect = reinterpret_cast<RedirectFn>(dlsym(library->m_handle.get(), "Redirect"));
    if (!library->m_preLogin || !library->m_redirect) {
        error = path + " does not export PreLogin and Redirect";
        return nullptr;
    }
    return library;
}

}  // namespace tessaly::host
