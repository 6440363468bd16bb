#include "support/ClassSafeGetProcess.h"

#include <algorithm>

#include "support/CLogTrace.h"
#include "support/WideText.h"

namespace tessaly {

namespace {

// Export names are looked up from a 1024-byte buffer, so at most 1023 bytes of the name count.
constexpr std::size_t kExportNameBytes = 1024;

void TracedUnload(platform::LibraryHandle module) noexcept
{
    g_LogTrace.Trace(4, u"Begin  Call FreeLibrary in ClassSafeGetProcess, Add is 0X%X", static_cast<const void*>(module));
    platform::UnloadLibrary(module);
    g_LogTrace.Trace(4, u"Finish Call FreeLibrary in ClassSafeGetProcess");
}

}  // namespace

void* ClassSafeGetProcess::GetProc(const std::u16string& path, const std::u16string& exportName)
{
    if (!m_hModule) {
        g_LogTrace.Trace(4, u"Begin  Call LoadLibrary in ClassSafeGetProcess, Dll Name is %s", path);
        m_hModule = platform::LoadLibraryByPath(ToUtf8(path));
        g_LogTrace.Trace(4, u"Finish Call LoadLibrary in ClassSafeGetProcess, Load Add is 0X%X",
                         static_cast<const void*>(m_hModule));
        if (!m_hModule)
            return nullptr;
    }
    std::string name = ToUtf8(exportName);
    name = name.substr(0, std::min(name.find('\0'), kExportNameBytes - 1));
    m_pfnProc = platform::FindExport(m_hModule, name.c_str());
    return m_pfnProc;
}

void ClassSafeGetProcess::Free() noexcept
{
    if (m_hModule)
        TracedUnload(m_hModule);
    m_pfnProc = nullptr;
    m_hModule = nullptr;
}

// The record is cleared as well: leaving the freed handle in it would let a later Free unload the
// library a second time.
void ClassSafeGetProcess::FreeInPlace() noexcept { Free(); }

}  // namespace tessaly
