// The two C entry points. Each runs behind one noexcept filter, so no C++ exception ever crosses into
// the host: any internal failure becomes the function's documented failure result.
#include <tessaly/tessaly.h>

#include "login/PreLoginEntry.h"
#include "redirect/RedirectEntry.h"

namespace {

template <typename Fn>
int GuardedCall(int failureResult, Fn&& fn) noexcept
{
    try {
        return fn();
    } catch (...) {
        return failureResult;
    }
}

}  // namespace

extern "C" TESSALY_EXPORT int PreLogin(PreLoginRequest* request, PreLoginResult* result)
{
    return GuardedCall(0, [&] { return tessaly::RunPreLogin(request, result); });
}

extern "C" TESSALY_EXPORT int Redirect(void)
{
    return GuardedCall(-1, [] { return tessaly::RunRedirect(); });
}
