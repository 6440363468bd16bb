#include "TessalyLibrary.h"

namespace tessaly::host {

std::unique_ptr<TessalyLibrary> TessalyLibrary::Open(const std::string& path, std::string& error)
{
    auto library = std::make_unique<TessalyLibrary>(Key{});
    library->m_module = LoadedModule::Open(path, error);
    if (!library->m_module)
        return nullptr;
    library->m_preLogin = library->m_module->Get<TessalyPreLoginProc>("PreLogin");
    library->m_redirect = library->m_module->Get<TessalyRedirectProc>("Redirect");
    if (!library->m_preLogin || !library->m_redirect) {
        error = path + " does not export PreLogin and Redirect";
        return nullptr;
    }
    return library;
}

}  // namespace tessaly::host
