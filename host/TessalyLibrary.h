#pragma once

#include "LoadedModule.h"
#include "tessaly/tessaly.h"

#include <memory>
#include <string>

namespace tessaly::host {

// The library loaded the way a desktop client loads it: by full path (dlopen, LoadLibraryW), the two
// exports looked up by name, released when this object goes away.
class TessalyLibrary {
public:
    static std::unique_ptr<TessalyLibrary> Open(const std::string& path, std::string& error);

    struct Key {
    private:
        Key() = default;
        friend class TessalyLibrary;
    };
    explicit TessalyLibrary(Key) {}

    int PreLogin(PreLoginRequest* request, PreLoginResult* result) const { return m_preLogin(request, result); }
    int Redirect() const { return m_redirect(); }

private:
    std::unique_ptr<LoadedModule> m_module;
    TessalyPreLoginProc m_preLogin = nullptr;
    TessalyRedirectProc m_redirect = nullptr;
};

}  // namespace tessaly::host
