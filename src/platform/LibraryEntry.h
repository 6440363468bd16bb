#pragma once
// How the library's start-up and shut-down are tied to loading and unloading. The system's backend
// owns the hook (a constructor function and atexit on Linux, DllMain on Windows) and calls these two
// functions, which the module defines. The backend's hook is compiled into the library itself only
// (platform/<system>/entry/), never into the test programs that link the components.
namespace tessaly::platform {

// Runs once when the library has been loaded, after its static objects are built. It must not load
// libraries, start or wait for threads, or call COM (on Windows it runs under the loader lock).
void OnLibraryLoaded() noexcept;

// Runs once when the library is unloaded (or the process ends), before its static objects go.
void OnLibraryUnloading() noexcept;

}  // namespace tessaly::platform
