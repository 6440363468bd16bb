#include "platform/Threads.h"

#include <winsock2.h>
#include <windows.h>

#include "platform/TextEncoding.h"

namespace tessaly::platform {

long CurrentThreadId()
{
    return static_cast<long>(::GetCurrentThreadId());
}

void NameCurrentThread(const char* name)
{
    // SetThreadDescription arrived with Windows 10 1607; looked up so that older systems still load
    // the library. kernel32 is loaded in every process, so nothing is loaded here.
    using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const auto set = kernel ? reinterpret_cast<SetDescription>(
                                  reinterpret_cast<void*>(::GetProcAddress(kernel, "SetThreadDescription")))
                            : nullptr;
    if (!set || !name)
        return;
    const std::u16string wide = Utf8ToUtf16(name);
    set(::GetCurrentThread(), reinterpret_cast<const wchar_t*>(wide.c_str()));
}

std::uint32_t TickCount()
{
    return static_cast<std::uint32_t>(::GetTickCount());
}

}  // namespace tessaly::platform
