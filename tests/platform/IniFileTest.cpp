#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/FileIO.h"
#include "platform/IniFile.h"
#include "common/TempDir.h"

namespace tessaly::platform {
namespace {

using test::TempDir;
using test::W;

constexpr std::string_view kCfg =
    "; product settings\r\n"
    "[WebUrl]\r\n"
    "  VomoLoginUrl = http://127.0.0.1:8470/login  \r\n"
    "PreLoginFromInternet=\"  quoted keeps blanks  \"\r\n"
    "broken line without equals\r\n"
    "Empty=\r\n"
    "[ Common ]\r\n"
    "ForceGetPcid=1\r\n"
    "[WebUrl]\r\n"
    "Second=ignored\r\n";

std::u16string Read(std::u16string_view section, std::u16string_view key, std::size_t capacity = 1024,
                    std::string_view text = kCfg)
{
    return ReadProfileStringFromText(text, section, key, u"dflt", capacity);
}

TEST(IniRead, TrimsValuesAndMatchesNamesWithoutCase)
{
    EXPECT_EQ(Read(u"WebUrl", u"VomoLoginUrl"), u"http://127.0.0.1:8470/login");
    EXPECT_EQ(Read(u"weburl", u"vomologinurl"), u"http://127.0.0.1:8470/login");
    EXPECT_EQ(Read(u"COMMON", u"forcegetpcid"), u"1");
    EXPECT_EQ(Read(u"WebUrl", u"PreLoginFromInternet"), u"  quoted keeps blanks  ");
    EXPECT_EQ(Read(u"WebUrl", u"Empty"), u"");
}

TEST(IniRead, DefaultForMissingFileSectionOrKey)
{
    EXPECT_EQ(Read(u"Nope", u"VomoLoginUrl"), u"dflt");
    EXPECT_EQ(Read(u"WebUrl", u"Nope"), u"dflt");
    // Only the first section of a name is searched; a malformed line is no key.
    EXPECT_EQ(Read(u"WebUrl", u"Second"), u"dflt");
    EXPECT_EQ(Read(u"WebUrl", u"broken line without equals"), u"dflt");
    EXPECT_EQ(ReadProfileString(u"WebUrl", u"VomoLoginUrl", u"dflt  ", u"/nonexistent/orvane.cfg", 1024), u"dflt");
}

TEST(IniRead, ValueIsCutToTheBuffer)
{
    EXPECT_EQ(Read(u"WebUrl", u"VomoLoginUrl", 8), u"http://");
    EXPECT_EQ(Read(u"WebUrl", u"VomoLoginUrl", 1), u"");
    EXPECT_EQ(Read(u"WebUrl", u"VomoLoginUrl", 0), u"");
    EXPECT_EQ(Read(u"Nope", u"x", 3), u"df");
    // A surrogate pair is never split in half.
    const std::string text = "[S]\nk=a\xF0\x9F\x98\x80z\n";
    EXPECT_EQ(Read(u"S", u"k", 3, text), u"a");
    EXPECT_EQ(Read(u"S", u"k", 4, text), u"a\U0001F600");
}

TEST(IniRead, ByteOrderMarkAndLongValues)
{
    EXPECT_EQ(Read(u"S", u"k", 1024, "\xEF\xBB\xBF[S]\nk=v\n"), u"v");
    const std::string longValue(5000, 'v');
    EXPECT_EQ(Read(u"S", u"k", 1024, "[S]\nk=" + longValue + "\n").size(), 1023u);
}

TEST(IniRead, UnreadableAndOversizedFilesGiveTheDefault)
{
    TempDir dir;
    const std::string path = dir.file("a.cfg");
    test::WriteFile(path, "[S]\nk=v\n");
    EXPECT_EQ(ReadProfileString(u"S", u"k", u"d", W(path), 64), u"v");
    if (::geteuid() != 0) {  // root reads files whatever their mode
        ::chmod(path.c_str(), 0);
        EXPECT_EQ(ReadProfileString(u"S", u"k", u"d", W(path), 64), u"d");
        ::chmod(path.c_str(), 0600);
    }
    std::string huge = "[S]\nk=v\n" + std::string(kMaxTextFileBytes, ';');
    test::WriteFile(path, huge);
    EXPECT_EQ(ReadProfileString(u"S", u"k", u"d", W(path), 64), u"d");
    EXPECT_EQ(ReadProfileString(u"S", u"k", u"d", W(dir.path().string()), 64), u"d");
}

TEST(IniWrite, CreatesFileSectionAndKey)
{
    TempDir dir;
    const std::u16string path = W(dir.file("Parvex.cfg"));
    ASSERT_TRUE(WriteProfileEntry(u"COMMON", u"ForceGetPcid", u"0", path));
    EXPECT_EQ(test::ReadFile(dir.file("Parvex.cfg")), "[COMMON]\nForceGetPcid=0\n");
    ASSERT_TRUE(WriteProfileEntry(u"COMMON", u"Other", u"x", path));
    ASSERT_TRUE(WriteProfileEntry(u"Second", u"k", u"v", path));
    EXPECT_EQ(test::ReadFile(dir.file("Parvex.cfg")), "[COMMON]\nForceGetPcid=0\nOther=x\n[Second]\nk=v\n");
}

TEST(IniWrite, ReplacesOnlyTheKeyAndKeepsEveryOtherLine)
{
    TempDir dir;
    const std::string file = dir.file("Parvex.cfg");
    test::WriteFile(file, "; keep me\r\n[common]\r\n  forcegetpcid = 1 \r\nOemId=7\r\n\r\n[Next]\r\nA=1");
    ::chmod(file.c_str(), 0640);
    ASSERT_TRUE(WriteProfileEntry(u"COMMON", u"ForceGetPcid", u"0", W(file)));
    EXPECT_EQ(test::ReadFile(file), "; keep me\r\n[common]\r\nforcegetpcid=0\r\nOemId=7\r\n\r\n[Next]\r\nA=1");
    ASSERT_TRUE(WriteProfileEntry(u"next", u"B", u"2", W(file)));
    EXPECT_EQ(test::ReadFile(file), "; keep me\r\n[common]\r\nforcegetpcid=0\r\nOemId=7\r\n\r\n[Next]\r\nA=1\r\nB=2\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(IniWrite, RefusesInputThatWouldBreakTheFileAndNeverLosesData)
{
    TempDir dir;
    const std::string file = dir.file("a.cfg");
    test::WriteFile(file, "[S]\nk=v\n");
    EXPECT_FALSE(WriteProfileEntry(u"S", u"k", u"line\nbreak", W(file)));
    EXPECT_FALSE(WriteProfileEntry(u"S", u"k=x", u"v", W(file)));
    EXPECT_FALSE(WriteProfileEntry(u"S]", u"k", u"v", W(file)));
    EXPECT_FALSE(WriteProfileEntry(u"", u"k", u"v", W(file)));
    EXPECT_FALSE(WriteProfileEntry(u"S", u"", u"v", W(file)));
    EXPECT_EQ(test::ReadFile(file), "[S]\nk=v\n");
    // A file too large to read back is never replaced by a truncated copy.
    const std::string huge = "[S]\nk=v\n" + std::string(kMaxTextFileBytes, ';');
    test::WriteFile(file, huge);
    EXPECT_FALSE(WriteProfileEntry(u"S", u"k", u"w", W(file)));
    EXPECT_EQ(test::ReadFile(file).size(), huge.size());
    EXPECT_FALSE(WriteProfileEntry(u"S", u"k", u"v", W(dir.file("no/such/folder.cfg"))));
}

TEST(IniWrite, KeepsUtf16Encoding)
{
    TempDir dir;
    const std::string file = dir.file("w.cfg");
    std::string utf16("\xFF\xFE");
    for (char c : std::string_view("[S]\r\nk=1\r\n"))
        utf16 += c, utf16 += '\0';
    test::WriteFile(file, utf16);
    ASSERT_TRUE(WriteProfileEntry(u"S", u"k", u"\u00e9", W(file)));
    const std::string bytes = test::ReadFile(file);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(ReadProfileStringFromText(bytes, u"S", u"k", u"", 64), u"\u00e9");
}

}  // namespace
}  // namespace tessaly::platform
