#include "support/SwallowedException.h"

#include <exception>
#include <new>
#include <system_error>

#include "support/CLogTrace.h"

namespace tessaly {

const char16_t* CurrentExceptionKind() noexcept
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return u"out of memory";
    } catch (const std::system_error&) {
        return u"a system error";
    } catch (const std::exception&) {
        return u"a standard exception";
    } catch (...) {
        return u"an exception of an unknown type";
    }
}

void TraceSwallowed(std::u16string_view where, std::u16string_view what, const char16_t* kind) noexcept
{
    g_LogTrace.Trace(4, u"--%s: %s (%s)", where, what, kind);
}

void TraceSwallowed(std::u16string_view where, std::u16string_view what) noexcept
{
    TraceSwallowed(where, what, CurrentExceptionKind());
}

}  // namespace tessaly
