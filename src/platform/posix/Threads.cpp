#include "platform/Threads.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <ctime>

namespace tessaly::platform {

long CurrentThreadId()
{
    return static_cast<long>(::syscall(SYS_gettid));
}

void NameCurrentThread(const char* name)
{
    char cut[16] = {};
    for (std::size_t i = 0; name && name[i] && i + 1 < sizeof cut; ++i)
        cut[i] = name[i];
    ::pthread_setname_np(::pthread_self(), cut);
}

std::uint32_t TickCount()
{
    timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                             static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

}  // namespace tessaly::platform
