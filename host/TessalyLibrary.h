#pragma once

#include "tessaly/tessaly.h"

#include <memory>
#include <string>

namespace tessaly::host {

// libtessaly.so loaded the way a desktop client loads it: dlopen by full path, the two exports
// looked up by name, dlclose when this object goes away.
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
    struct Closer {
        void operator()(void* handle) const;
    };
    using PreLoginFn = int (*)(PreLoginRequest*, PreLoginResult*);
    using RedirectFn = int (*)();

    std::unique_ptr<void, Closer> m_handle;
    PreLoginFn m_preLogin = nullptr;
    RedirectFn m_redirect = nullptr;
};

}  // namespace tessaly::host
