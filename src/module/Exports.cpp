// The two C entry points. Each runs behind one noexcept filter, so no C++ exception ever crosses into
// the host: any internal failure becomes the function's documented failure result, and the trace
// says which exception it was.
#include <tessaly/tessaly.h>

#include <exception>

#include "login/PreLoginEntry.h"
#include "redirect/RedirectEntry.h"
#include "support/CLogTrace.h"
#include "support/WideText.h"

namespace {

void TraceSwallowed(const char16_t* function, int failureResult, const char* what) noexcept
{
    try {
        tessaly::g_LogTrace.Trace(4, u"--%s returns %d, an exception: %s", function, failureResult,
                                  tessaly::FromUtf8(what));
    } catch (...) {
        // Out of memory while making the line: the line is dropped like any other that cannot be made.
    }
}

template <typename Fn>
int GuardedCall(const char16_t* function, int failureResult, Fn&& fn) noexcept
{
    try {
        return fn();
    } catch (const std::exception& e) {
        TraceSwallowed(function, failureResult, e.what());
    } catch (...) {
        TraceSwallowed(function, failureResult, "of an unknown type");
    }
    return failureResult;
}

}  // namespace

extern "C" TESSALY_EXPORT int TESSALY_CALL PreLogin(PreLoginRequest* request, PreLoginResult* result)
{
    return GuardedCall(u"PreLogin", 0, [&] { return tessaly::RunPreLogin(request, result); });
}

extern "C" TESSALY_EXPORT int TESSALY_CALL Redirect(void)
{
    return GuardedCall(u"Redirect", -1, [] { return tessaly::RunRedirect(); });
}
