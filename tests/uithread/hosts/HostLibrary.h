#pragma once
// What the test host programs share: the library loaded the way hosts load it, and one result line
// per call on standard output ("<label> <end code>").
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace tessaly::testhost {

using RedirectFn = int (*)();

inline RedirectFn LoadRedirect(const char* path)
{
    void* library = ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
    auto* redirect = library ? reinterpret_cast<RedirectFn>(::dlsym(library, "Redirect")) : nullptr;
    if (!redirect) {
        std::fprintf(stderr, "cannot load %s: %s\n", path, ::dlerror());
        std::exit(3);
    }
    return redirect;
}

inline void Report(const char* label, int result)
{
    std::printf("%s %d\n", label, result);
    std::fflush(stdout);
}

}  // namespace tessaly::testhost
