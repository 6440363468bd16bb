// See FailShim.h. Allocation calls go straight to the C library's own entry points (__libc_malloc and
// friends), the others to the next definition found by dlsym(RTLD_NEXT); neither path allocates
// through this shim, so there is no recursion.
#include "faults/FailShim.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <execinfo.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
}

namespace {

std::atomic<int> g_kind{-1};
std::atomic<long> g_nth{0};
std::atomic<long> g_count{0};
std::atomic<int> g_fired{0};
std::atomic<pthread_t> g_thread{};

std::atomic<int> g_backtrace{-1};

// With TESSALY_FAILSHIM_BACKTRACE set, the stack of each injected failure goes to stderr, which tells
// a failing test where the failure was injected. backtrace() is primed once outside the failure path,
// because its first call loads the unwinder (which allocates).
void PrintBacktrace()
{
    void* frames[48];
    const int n = ::backtrace(frames, 48);
    ::backtrace_symbols_fd(frames, n, 2);
    (void)!::write(2, "----\n", 5);
}

// The first library on the failing call's stack that is neither this shim nor the C or C++ runtime:
// the code that asked for what was refused.
char g_requester[512];

void NoteRequester()
{
    void* frames[24];
    const int n = ::backtrace(frames, 24);
    g_requester[0] = '\0';
    for (int i = 1; i < n; ++i) {
        Dl_info info{};
        if (!::dladdr(frames[i], &info) || !info.dli_fname)
            continue;
        const char* name = info.dli_fname;
        if (std::strstr(name, "tessaly_failshim") || std::strstr(name, "libc.so") || std::strstr(name, "libstdc++"))
            continue;
        std::snprintf(g_requester, sizeof g_requester, "%s", name);
        return;
    }
}

// True when this call of `kind` is the one to fail. Only the arming thread's calls count: other
// threads of the process (the toolkit's, the test framework's) are not part of the call under test.
bool ShouldFail(int kind)
{
    if (g_kind.load(std::memory_order_relaxed) != kind || !pthread_equal(g_thread.load(), pthread_self()))
        return false;
    const long n = g_count.fetch_add(1) + 1;
    if (n != g_nth.load() || g_nth.load() == 0)
        return false;
    g_fired.store(1);
    NoteRequester();
    if (g_backtrace.load())
        PrintBacktrace();
    return true;
}

template <typename Fn>
Fn Next(const char* name)
{
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

#define FAILSHIM_EXPORT __attribute__((visibility("default")))

FAILSHIM_EXPORT void TessalyFailShimArm(int kind, long nth)
{
    if (g_backtrace.load() < 0) {
        void* frame[1];
        ::backtrace(frame, 1);
        Dl_info info{};
        ::dladdr(reinterpret_cast<void*>(&TessalyFailShimArm), &info);
        const char* flag = std::getenv("TESSALY_FAILSHIM_BACKTRACE");
        g_backtrace.store(flag && *flag ? 1 : 0);
    }
    g_kind.store(-1);
    g_count.store(0);
    g_fired.store(0);
    g_nth.store(nth);
    g_thread.store(pthread_self());
    g_kind.store(kind);
}

FAILSHIM_EXPORT void TessalyFailShimDisarm(void) { g_kind.store(-1); }
FAILSHIM_EXPORT long TessalyFailShimCount(void) { return g_count.load(); }
FAILSHIM_EXPORT int TessalyFailShimFired(void) { return g_fired.load(); }
FAILSHIM_EXPORT const char* TessalyFailShimRequester(void) { return g_requester; }

FAILSHIM_EXPORT void* malloc(std::size_t size)
{
    if (ShouldFail(kFailMalloc)) {
        errno = ENOMEM;
        return nullptr;
    }
    return __libc_malloc(size);
}

FAILSHIM_EXPORT void* calloc(std::size_t count, std::size_t size)
{
    if (ShouldFail(kFailMalloc)) {
        errno = ENOMEM;
        return nullptr;
    }
    return __libc_calloc(count, size);
}

FAILSHIM_EXPORT void* realloc(void* old, std::size_t size)
{
    if (size != 0 && ShouldFail(kFailMalloc)) {
        errno = ENOMEM;
        return nullptr;
    }
    return __libc_realloc(old, size);
}

FAILSHIM_EXPORT int posix_memalign(void** out, std::size_t alignment, std::size_t size)
{
    if (ShouldFail(kFailMalloc))
        return ENOMEM;
    void* p = __libc_memalign(alignment, size);
    if (!p)
        return ENOMEM;
    *out = p;
    return 0;
}

FAILSHIM_EXPORT void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    if (ShouldFail(kFailMalloc)) {
        errno = ENOMEM;
        return nullptr;
    }
    return __libc_memalign(alignment, size);
}

FAILSHIM_EXPORT FILE* fopen(const char* path, const char* mode)
{
    static auto next = Next<FILE* (*)(const char*, const char*)>("fopen");
    if (ShouldFail(kFailFopen)) {
        errno = EIO;
        return nullptr;
    }
    return next(path, mode);
}

FAILSHIM_EXPORT FILE* fopen64(const char* path, const char* mode)
{
    static auto next = Next<FILE* (*)(const char*, const char*)>("fopen64");
    if (ShouldFail(kFailFopen)) {
        errno = EIO;
        return nullptr;
    }
    return next(path, mode);
}

#define FAILSHIM_OPEN(name, ...)                                                    \
    {                                                                               \
        mode_t mode = 0;                                                            \
        if (flags & (O_CREAT | O_TMPFILE)) {                                        \
            va_list args;                                                           \
            va_start(args, flags);                                                  \
            mode = static_cast<mode_t>(va_arg(args, int));                          \
            va_end(args);                                                           \
        }                                                                           \
        if (ShouldFail(kFailOpen)) {                                                \
            errno = EIO;                                                            \
            return -1;                                                              \
        }                                                                           \
        return next(__VA_ARGS__, flags, mode);                                      \
    }

FAILSHIM_EXPORT int open(const char* path, int flags, ...)
{
    static auto next = Next<int (*)(const char*, int, ...)>("open");
    FAILSHIM_OPEN(open, path)
}

FAILSHIM_EXPORT int open64(const char* path, int flags, ...)
{
    static auto next = Next<int (*)(const char*, int, ...)>("open64");
    FAILSHIM_OPEN(open64, path)
}

FAILSHIM_EXPORT int openat(int dir, const char* path, int flags, ...)
{
    static auto next = Next<int (*)(int, const char*, int, ...)>("openat");
    FAILSHIM_OPEN(openat, dir, path)
}

FAILSHIM_EXPORT int openat64(int dir, const char* path, int flags, ...)
{
    static auto next = Next<int (*)(int, const char*, int, ...)>("openat64");
    FAILSHIM_OPEN(openat64, dir, path)
}

FAILSHIM_EXPORT void* dlopen(const char* path, int flags)
{
    static auto next = Next<void* (*)(const char*, int)>("dlopen");
    // A real failed load, so that dlerror() has a reason to give as it would after any failure.
    if (ShouldFail(kFailDlopen))
        return next("/nonexistent/tessaly-failshim-injected-failure.so", flags);
    return next(path, flags);
}

FAILSHIM_EXPORT int shm_open(const char* name, int flags, mode_t mode)
{
    static auto next = Next<int (*)(const char*, int, mode_t)>("shm_open");
    if (ShouldFail(kFailShmOpen)) {
        errno = EMFILE;
        return -1;
    }
    return next(name, flags, mode);
}

}  // extern "C"
