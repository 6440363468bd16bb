// The load hook of libtessaly.so: a constructor function the dynamic loader runs at dlopen.
#include "platform/LibraryEntry.h"

#include <cstdlib>

namespace {

void RunUnloadHook() noexcept
{
    tessaly::platform::OnLibraryUnloading();
}

// The shut-down is registered with atexit right after start-up rather than as a destructor function:
// handlers and static destructors of this library run at dlclose in reverse order of registration,
// and all plain destructor functions run only after them. Registered last, the shut-down runs first,
// while the objects that start-up made (and their owners, such as function-local statics first used
// during start-up) still exist. Priority 202: after g_LogTrace (200) and the application object (201).
[[gnu::constructor(202)]] void OnLoad() noexcept
{
    tessaly::platform::OnLibraryLoaded();
    if (std::atexit(&RunUnloadHook) != 0)
        RunUnloadHook();  // cannot be run later: undo now rather than leave it to static destruction
}

}  // namespace
