#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/FilePaths.h"
#include "platform/ModulePaths.h"
#include "support/PathHelpers.h"
#include "common/ScopedEnv.h"
#include "common/TempDir.h"

namespace tessaly {
namespace {

using test::ScopedEnv;
using test::TempDir;
using test::W;

TEST(ModuleDirs, FoldersOfTheModuleAndTheHost)
{
    const std::u16string bin = test::NativeFolder(TESSALY_TEST_BIN_DIR);
    const std::u16string separator(1, platform::kPathSeparator);
    EXPECT_EQ(GetModuleDir(nullptr), bin);
    // Linked statically into this test program, the instance is the program itself.
    EXPECT_EQ(GetModuleDir(LibraryInstance()), bin);
    EXPECT_EQ(GetConfigDir(LibraryInstance()), bin + u"Config" + separator);
    platform::OverrideModuleFolders(u"/opt/lib/", u"/opt/host/");
    EXPECT_EQ(GetConfigDir(LibraryInstance()), u"/opt/lib/Config" + separator);
    EXPECT_EQ(GetModuleDir(nullptr), u"/opt/host/");
    platform::OverrideModuleFolders(u"", u"");
    // An address in no module gives empty folders, never a relative "Config/".
    EXPECT_EQ(GetModuleDir(reinterpret_cast<ModuleHandle>(0x10)), u"");
    EXPECT_EQ(GetConfigDir(reinterpret_cast<ModuleHandle>(0x10)), u"");
}

TEST(SplitPath, DirectoryKeepsItsSeparator)
{
    const std::u16string s(1, platform::kPathSeparator);
    std::u16string dir = u"old", name = u"old";
    EXPECT_EQ(SplitPath(s + u"tmp" + s + u"Qln1234", &dir, &name), u"Qln1234");
    EXPECT_EQ(dir, s + u"tmp" + s);
    EXPECT_EQ(name, u"Qln1234");
    EXPECT_EQ(SplitPath(u"bare.txt", &dir, &name), u"");
    EXPECT_EQ(dir, u"bare.txt");
    EXPECT_EQ(name, u"");
    EXPECT_EQ(SplitPath(s + u"folder" + s, &dir, nullptr), u"");
    EXPECT_EQ(dir, s + u"folder" + s);
    EXPECT_EQ(SplitPath(u"a" + s + u"b", nullptr, nullptr), u"b");
}

TEST(ReadRegString, NumbersAsDecimalStringsCutToTheBuffer)
{
    TempDir dir;
    test::system::ScopedSettingsStore store(dir.path(),
                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\K]\n\"One\"=dword:00000001\n\"All\"=dword:ffffffff\n"
                    "\"Text\"=\"abcdefghij\"\n\"Bin\"=hex:01\n");
    std::u16string out = u"stale";
    ReadRegString(u"SOFTWARE\\K", u"One", 1024, &out);
    EXPECT_EQ(out, u"1");
    ReadRegString(u"software\\k", u"all", 1024, &out);
    EXPECT_EQ(out, u"-1");
    ReadRegString(u"SOFTWARE\\K", u"Text", 1024, &out);
    EXPECT_EQ(out, u"abcdefghij");
    ReadRegString(u"SOFTWARE\\K", u"Text", 8, &out);  // 8 bytes: three characters and the terminator
    EXPECT_EQ(out, u"abc");
    ReadRegString(u"SOFTWARE\\K", u"Text", 1, &out);
    EXPECT_EQ(out, u"");
    out = u"stale";
    ReadRegString(u"SOFTWARE\\K", u"Bin", 1024, &out);
    EXPECT_EQ(out, u"");
    out = u"stale";
    ReadRegString(u"SOFTWARE\\Missing", u"One", 1024, &out);
    EXPECT_EQ(out, u"");
    ReadRegString(u"SOFTWARE\\K", u"One", 1024, nullptr);
}

TEST(ReadIniString, DefaultsAndCut)
{
    TempDir dir;
    test::WriteFile(dir.file("orvane.cfg"), "[WebUrl]\nVomoLoginUrl=http://127.0.0.1:8470/login\n");
    std::u16string out;
    ReadIniString(u"WebUrl", u"VomoLoginUrl", u"", &out, W(dir.file("orvane.cfg")), 1024);
    EXPECT_EQ(out, u"http://127.0.0.1:8470/login");
    ReadIniString(u"WebUrl", u"VomoLoginUrl", u"", &out, W(dir.file("orvane.cfg")), 5);
    EXPECT_EQ(out, u"http");
    ReadIniString(u"WebUrl", u"Missing", u"fallback", &out, W(dir.file("orvane.cfg")), 1024);
    EXPECT_EQ(out, u"fallback");
    ReadIniString(u"WebUrl", u"VomoLoginUrl", u"fallback", &out, W(dir.file("absent.cfg")), 1024);
    EXPECT_EQ(out, u"fallback");
    ReadIniString(u"WebUrl", u"VomoLoginUrl", u"fallback", &out, W(dir.file("orvane.cfg")), -5);
    EXPECT_EQ(out, u"");
}

TEST(TempReplyFile, CreatedEmptyWithThePrefixAndDeletedAgain)
{
    TempDir dir;
    ScopedEnv env(test::system::kTempFolderVariable, dir.path().string());
    std::u16string folder, name;
    MakeTempReplyFile(u"Qln", &folder, &name);
    EXPECT_EQ(folder, dir.folder16());
    ASSERT_EQ(name.substr(0, 3), u"Qln");
    const std::string path = dir.file(std::string(name.begin(), name.end()));
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    ::chmod(path.c_str(), 0400);
    ForceDeleteFile(folder + name);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(TempReplyFile, OutputsUnchangedWhenNoFileCanBeMade)
{
    ScopedEnv env(test::system::kTempFolderVariable, "/nonexistent-tessaly-folder");
    std::u16string folder = u"keep", name = u"keep";
    MakeTempReplyFile(u"Qln", &folder, &name);
    EXPECT_EQ(folder, u"keep");
    EXPECT_EQ(name, u"keep");
}

}  // namespace
}  // namespace tessaly
