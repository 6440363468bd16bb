// The Windows backend's own risks: the registry as the settings store, named mappings, the system's
// profile functions behind the shared write checks, temporary files, the loader and the paths.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <cstring>
#include <variant>

#include "TestSystem.h"
#include "common/ScopedEnv.h"
#include "common/TempDir.h"
#include "platform/DynamicLibrary.h"
#include "platform/FilePaths.h"
#include "platform/IniFile.h"
#include "platform/NetworkAdapters.h"
#include "platform/ProcessIdentity.h"
#include "platform/ProcessMemory.h"
#include "platform/SettingsStore.h"
#include "platform/SharedMemory.h"
#include "platform/TempFiles.h"
#include "platform/TextEncoding.h"

namespace tessaly::platform {
namespace {

using test::TempDir;

TEST(Win32Settings, StringsAndNumbersUnderTheMachineKeyOthersAreNoValue)
{
    TempDir dir;
    test::system::ScopedSettingsStore store(dir.path(), "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TessalyTest]\n"
                                                        "\"Text\"=\"on\"\n\"Number\"=dword:ffffffff\n");
    EXPECT_EQ(ReadSetting(u"SOFTWARE\\TessalyTest", u"Text"), SettingValue(std::u16string(u"on")));
    EXPECT_EQ(ReadSetting(u"software\\tessalytest", u"NUMBER"), SettingValue(std::uint32_t {0xFFFFFFFF}));
    EXPECT_FALSE(ReadSetting(u"SOFTWARE\\TessalyTest", u"Missing"));
    EXPECT_FALSE(ReadSetting(u"SOFTWARE\\NoSuchKey", u"Text"));
    EXPECT_FALSE(ReadSetting(std::u16string(u"SOFTWARE\\TessalyTest\0x", 22), u"Text"));
    const BYTE binary[] = {1, 2};
    ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TessalyTest", L"Binary", REG_BINARY, binary, 2),
              ERROR_SUCCESS);
    EXPECT_FALSE(ReadSetting(u"SOFTWARE\\TessalyTest", u"Binary"));
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TessalyTest", L"Binary");
}

TEST(Win32SharedMemory, CreatedZeroedSharedByNameAndGoneWithTheLastHandle)
{
    const std::string name = "tessaly-test-block." + std::to_string(::GetCurrentProcessId());
    {
        SharedMemoryBlock first = SharedMemoryBlock::OpenOrCreate(name, 1024, true);
        ASSERT_TRUE(first.valid());
        EXPECT_TRUE(first.created());
        EXPECT_TRUE(first.privateToUser());
        EXPECT_EQ(first.data()[1023], 0);
        first.data()[40] = 7;
        SharedMemoryBlock second = SharedMemoryBlock::OpenOrCreate(name, 1024, true);
        ASSERT_TRUE(second.valid());
        EXPECT_FALSE(second.created());
        EXPECT_EQ(second.data()[40], 7);
        EXPECT_FALSE(SharedMemoryBlock::OpenExisting(name, 64 * 1024).valid());  // larger than the object
        SharedMemoryBlock moved = std::move(second);
        EXPECT_EQ(moved.data()[40], 7);
    }
    EXPECT_FALSE(SharedMemoryBlock::OpenExisting(name, 1024).valid());
    EXPECT_FALSE(SharedMemoryBlock::OpenOrCreate("bad\\name", 1024, true).valid());
}

TEST(Win32Identity, ProcessIdAndCreationTime)
{
    const ProcessIdentity own = OwnProcessIdentity();
    EXPECT_EQ(own.pid, ::GetCurrentProcessId());
    FILETIME created {}, exited {}, kernel {}, user {};
    ASSERT_TRUE(::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user));
    EXPECT_EQ(own.startTime, (std::uint64_t {created.dwHighDateTime} << 32) | created.dwLowDateTime);
}

TEST(Win32Memory, WritableRangesOnly)
{
    static const char constant[64] = {};
    char stack[64] = {};
    EXPECT_TRUE(IsWritableRange(stack, sizeof stack));
    EXPECT_FALSE(IsWritableRange(constant, sizeof constant));
    EXPECT_FALSE(IsWritableRange(reinterpret_cast<const void*>(0x1000), 16));
    EXPECT_FALSE(IsWritableRange(stack, 0));
}

TEST(Win32Profile, SystemFunctionsBehindTheSharedChecks)
{
    TempDir dir;
    const std::u16string path = dir.wide("orvane.cfg");
    test::WriteFile(dir.file("orvane.cfg"), "[WebUrl]\r\n VomoLoginUrl = http://127.0.0.1:8470/login \r\n");
    EXPECT_EQ(ReadProfileString(u"weburl", u"vomologinurl", u"", path, 1024), u"http://127.0.0.1:8470/login");
    EXPECT_EQ(ReadProfileString(u"WebUrl", u"VomoLoginUrl", u"", path, 5), u"http");
    EXPECT_EQ(ReadProfileString(u"WebUrl", u"Missing", u"fallback", path, 1024), u"fallback");
    EXPECT_EQ(ReadProfileString(u"WebUrl", u"Missing", u"fallback", dir.wide("absent.cfg"), 4), u"fal");
    ASSERT_TRUE(WriteProfileEntry(u"COMMON", u"ForceGetPcid", u"0", dir.wide("Parvex.cfg")));
    EXPECT_EQ(ReadProfileString(u"COMMON", u"ForceGetPcid", u"1", dir.wide("Parvex.cfg"), 16), u"0");
    // Entries that would break the file's lines are refused before the system sees them.
    EXPECT_FALSE(WriteProfileEntry(u"COMMON", u"Key", u"two\nlines", path));
    EXPECT_FALSE(WriteProfileEntry(u"COM]MON", u"Key", u"v", path));
    EXPECT_FALSE(WriteProfileEntry(u"COMMON", u"K=ey", u"v", path));
    EXPECT_FALSE(WriteProfileEntry(u"COMMON", u"Key", u"v", u""));
}

TEST(Win32Files, TemporaryFileFolderAndRemoval)
{
    TempDir dir;
    test::ScopedEnv tmp("TMP", dir.path().string());
    EXPECT_EQ(TempFolder(), test::NativeFolder(dir.path().string()));
    const auto made = CreateUniqueTempFile(u"Q\\ln");
    ASSERT_TRUE(made);
    const std::u16string name = made->substr(made->rfind(u'\\') + 1);
    EXPECT_EQ(name.substr(0, 3), u"Q_l");
    ::SetFileAttributesW(reinterpret_cast<const wchar_t*>(made->c_str()), FILE_ATTRIBUTE_READONLY);
    ForceRemoveFile(*made);
    EXPECT_EQ(::GetFileAttributesW(reinterpret_cast<const wchar_t*>(made->c_str())), INVALID_FILE_ATTRIBUTES);
}

TEST(Win32Paths, AbsoluteNamesAndSeparators)
{
    EXPECT_EQ(kPathSeparator, u'\\');
    EXPECT_TRUE(IsAbsolutePath(u"C:\\App\\Config\\x.txt"));
    EXPECT_TRUE(IsAbsolutePath(u"z:/work/x"));
    EXPECT_TRUE(IsAbsolutePath(u"\\\\server\\share\\x"));
    EXPECT_FALSE(IsAbsolutePath(u"relative.txt"));
    EXPECT_FALSE(IsAbsolutePath(u"C:relative"));
    EXPECT_FALSE(IsAbsolutePath(u"\\rooted-on-the-current-drive"));
    EXPECT_EQ(JoinConfigPath(u"C:\\App\\Config\\", u"PreLoginWait/wait.htm"), u"C:\\App\\Config\\PreLoginWait\\wait.htm");
}

TEST(Win32Loader, FullPathsOnlyWithTheSystemsReason)
{
    std::string error;
    LibraryHandle plugin = LoadLibraryByPath(TESSALY_TEST_PLUGIN, &error);
    ASSERT_NE(plugin, nullptr) << error;
    EXPECT_NE(FindExport(plugin, "tessaly_test_answer"), nullptr);
    EXPECT_EQ(FindExport(plugin, "malloc"), nullptr);
    EXPECT_EQ(FindExport(plugin, ""), nullptr);
    UnloadLibrary(plugin);
    EXPECT_EQ(LoadLibraryByPath("Z:/nonexistent/Trelvin.dll", &error), nullptr);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(LoadLibraryByPath("", &error), nullptr);
    LibraryHandle pinned = PinLibraryContaining(reinterpret_cast<const void*>(&::GetTickCount));
    EXPECT_NE(pinned, nullptr);
    UnloadLibrary(pinned);
}

TEST(Win32Text, EdgeTextIsTheAnsiCodePage)
{
    EXPECT_EQ(FromEdgeText(ToEdgeText(u"http://127.0.0.1/login?user=a")), u"http://127.0.0.1/login?user=a");
    if (::GetACP() == 1252)
        EXPECT_EQ(ToEdgeText(u"\u00E9"), "\xE9");
    EXPECT_EQ(ToEdgeText(u""), "");
}

TEST(Win32Adapters, TableNamesAreGuidsAndUnknownNamesAreNotPci)
{
    for (const AdapterInfo& adapter : ListAdapters())
        EXPECT_FALSE(adapter.name.empty());
    EXPECT_FALSE(IsPciNetworkDevice("{00000000-0000-0000-0000-000000000000}"));
    EXPECT_FALSE(IsPciNetworkDevice("..\\..\\Services"));
    EXPECT_FALSE(IsPciNetworkDevice(""));
}

}  // namespace
}  // namespace tessaly::platform
