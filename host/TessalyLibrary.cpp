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
    // RTLD_NODELETE: the library pulls in the web engine, whose load-time initialisers start
    // threads of their own (a memory scavenger) that keep running after dlclose. Unmapping that code
    // under them crashes the process now and then, so the code stays mapped; dlclose still drops our
    // reference, and the library's shut-down then runs at process exit.
    library->m_handle.reset(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
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
