// What only the Windows companions do: take the machine identity from the registry's 64-bit view,
// refuse the devices and pipes a path can name as reply file, and hand back what their own C++
// runtime allocated when they are freed.
#include <winsock2.h>
#include <windows.h>

#include "TestSystem.h"
#include "common/LoadedLibrary.h"
#include "common/ScopedEnv.h"
#include "common/ServiceSuite.h"
#include "common/TempDir.h"

namespace tessaly::test {
namespace {

using UploadFn = int (*)(const char16_t*, const char16_t*, const char16_t*);
using ValueFn = int (*)(char16_t*, int, int);

std::u16string ForcedPcid(const LoadedLibrary& library)
{
    char16_t value[256] = {};
    return library.Get<ValueFn>("PVXGetPCID")(value, 256, 1) == 1 ? value : u"";
}

// A 32-bit DLL on 64-bit Windows sees Wow6432Node unless it asks for the 64-bit view, where the
// installation's MachineGuid lives.
TEST(CompanionsOnWindows, ThePcIdentifierIsDerivedFromTheMachineGuidOfThe64BitView)
{
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography", 0,
                              KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key),
              ERROR_SUCCESS);
    wchar_t guid[128] = {};
    DWORD size = sizeof guid;
    const LSTATUS read = ::RegGetValueW(key, nullptr, L"MachineGuid", RRF_RT_REG_SZ, nullptr, guid, &size);
    ::RegCloseKey(key);
    ASSERT_EQ(read, ERROR_SUCCESS);
    TempDir dir;
    dir.Write("machine-id", std::filesystem::path(guid).string());
    LoadedLibrary parvex(OutLibrary("Parvex"));
    ASSERT_TRUE(parvex.ok()) << parvex.error();

    std::u16string fromRegistry;
    {
        ScopedEnv none("PARVEX_MACHINE_ID_FILE", std::nullopt);
        fromRegistry = ForcedPcid(parvex);
    }
    ScopedEnv file("PARVEX_MACHINE_ID_FILE", dir.file("machine-id"));
    EXPECT_EQ(fromRegistry.size(), 32u);
    EXPECT_EQ(fromRegistry, ForcedPcid(parvex));
}

// The host loads and frees the companions on every call; each carries its own C++ runtime (linked
// -static), whose allocations must go with it.
TEST(CompanionsOnWindows, LoadingAndFreeingLeavesNoHeapBehind)
{
    for (const char* name : {"Trelvin", "Cyvelle", "Parvex", "Dunmore"}) {
        const auto cycle = [name] { LoadedLibrary companion(OutLibrary(name)); };
        for (int i = 0; i < 3; ++i)
            cycle();
        const std::size_t before = system::HeapBytesInUse();
        for (int i = 0; i < 20; ++i)
            cycle();
        const std::size_t after = system::HeapBytesInUse();
        EXPECT_LT(after, before + 16 * 1024) << name << ": heap in use grew from " << before << " to " << after;
    }
}

class DunmoreOnWindows : public ServiceSuite {};

TEST_F(DunmoreOnWindows, DevicesAndPipesAreNoReplyFiles)
{
    LoadedLibrary transfer(OutLibrary("Dunmore"));
    ASSERT_TRUE(transfer.ok()) << transfer.error();
    const auto upload = transfer.Get<UploadFn>("HttpUpload");
    const std::u16string url = W(Url("/echo"));
    const char16_t block[] = u"PCID\0" u"1\0";
    EXPECT_EQ(upload(url.c_str(), block, u"NUL"), 0) << "the null device is not a reply file";

    const std::wstring name = L"\\\\.\\pipe\\tessaly-test-" + std::to_wstring(::GetCurrentProcessId());
    const HANDLE pipe = ::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1, 65536, 65536, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    EXPECT_EQ(upload(url.c_str(), block, reinterpret_cast<const char16_t*>(name.c_str())), 0)
        << "a pipe is not a reply file";
    ::CloseHandle(pipe);
}

}  // namespace
}  // namespace tessaly::test
