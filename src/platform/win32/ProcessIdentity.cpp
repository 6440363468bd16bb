#include "platform/ProcessIdentity.h"

#include <winsock2.h>
#include <windows.h>

namespace tessaly::platform {

ProcessIdentity OwnProcessIdentity() noexcept
{
    ProcessIdentity identity;
    identity.pid = ::GetCurrentProcessId();
    FILETIME created {}, exited {}, kernel {}, user {};
    if (::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user))
        identity.startTime = (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    return identity;
}

}  // namespace tessaly::platform
