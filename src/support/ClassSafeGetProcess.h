#pragma once
// Loads an in-house library by full path at most once per record, resolves exports by name and
// traces every load and free.
#include <string>

#include "platform/DynamicLibrary.h"

namespace tessaly {

struct ClassSafeGetProcess {
    platform::LibraryHandle m_hModule = nullptr;
    void* m_pfnProc = nullptr;

    // Loads `path` when nothing is loaded yet, then resolves `exportName`.
    void* GetProc(const std::u16string& path, const std::u16string& exportName);

    // Frees the library (with its two trace lines) when loaded; clears both members.
    void Free() noexcept;

    // The same two traces and the same free, for owners whose record goes out of scope right after.
    // It clears the record too, so a stray later Free cannot unload the library twice.
    void FreeInPlace() noexcept;

    // Typed convenience for GetProc.
    template <typename Fn>
    Fn GetProcAs(const std::u16string& path, const std::u16string& exportName)
    {
        return reinterpret_cast<Fn>(GetProc(path, exportName));
    }
};

}  // namespace tessaly
