#pragma once
// The libcurl entry points the companions use, bound at run time from the process's copy of libcurl.
//
// The companions are loaded and freed on every call of their host. Linked against libcurl, each load
// would make the loader walk libcurl's whole dependency tree again (some thirty libraries, each name
// compared with every library the host has loaded: the larger part of a load in a desktop client).
// Bound here instead, a companion depends on the C and C++ runtimes only; libcurl is loaded once,
// on the first request of the process, and stays resident from then on (RTLD_NODELETE), with its
// initialisation, its TLS and the libraries it brought. That is also what libcurl asks for: one
// initialisation per program, and no global clean-up while any part of the program may still use it,
// which a library loaded into someone else's process cannot know. So none is ever made.
#include <curl/curl.h>
#include <dlfcn.h>

namespace companion {

// The file name of the libcurl the companions were built against (its soname), set by the build.
#ifndef COMPANION_CURL_LIBRARY
#define COMPANION_CURL_LIBRARY "libcurl.so.4"
#endif

struct CurlApi {
    decltype(&curl_global_init) global_init = nullptr;
    decltype(&curl_easy_init) easy_init = nullptr;
    decltype(&curl_easy_setopt) easy_setopt = nullptr;
    decltype(&curl_easy_perform) easy_perform = nullptr;
    decltype(&curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&curl_slist_append) slist_append = nullptr;
    decltype(&curl_slist_free_all) slist_free_all = nullptr;
};

// Binds the entry points once per load of the companion. The library is opened with the no-delete
// mark and closed again at once: the mark keeps it mapped, so the bound addresses stay valid for the
// rest of the process, and the companion holds no reference it would have to give back when it is
// freed (its unload then touches none of this).
class ResidentCurl {
public:
    ResidentCurl()
    {
        void* handle = dlopen(COMPANION_CURL_LIBRARY, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (!handle)
            return;
        const bool bound = Bind(handle);
        dlclose(handle);
        m_ready = bound && m_api.global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    }

    const CurlApi* Api() const { return m_ready ? &m_api : nullptr; }

private:
    template <class Fn>
    static bool Resolve(void* handle, Fn& slot, const char* name)
    {
        slot = reinterpret_cast<Fn>(dlsym(handle, name));
        return slot != nullptr;
    }

    bool Bind(void* handle)
    {
        return Resolve(handle, m_api.global_init, "curl_global_init") &&
               Resolve(handle, m_api.easy_init, "curl_easy_init") &&
               Resolve(handle, m_api.easy_setopt, "curl_easy_setopt") &&
               Resolve(handle, m_api.easy_perform, "curl_easy_perform") &&
               Resolve(handle, m_api.easy_getinfo, "curl_easy_getinfo") &&
               Resolve(handle, m_api.easy_cleanup, "curl_easy_cleanup") &&
               Resolve(handle, m_api.slist_append, "curl_slist_append") &&
               Resolve(handle, m_api.slist_free_all, "curl_slist_free_all");
    }

    CurlApi m_api;
    bool m_ready = false;
};

// libcurl's entry points, or null when it cannot be loaded or initialised (every request then fails).
// Bound on the first call after each load of the companion; later calls only read.
inline const CurlApi* Curl()
{
    static const ResidentCurl curl;
    return curl.Api();
}

}  // namespace companion
