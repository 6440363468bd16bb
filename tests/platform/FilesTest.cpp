// Temporary files, removal, path joining, whole-file I/O, the append-only log file, module folders,
// thread ids and clocks.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <thread>

#include "platform/AppendFile.h"
#include "platform/FileIO.h"
#include "platform/FilePaths.h"
#include "platform/LocalTime.h"
#include "platform/TempFiles.h"
#include "platform/TextEncoding.h"
#include "platform/Threads.h"
#include "common/ScopedEnv.h"
#include "common/TempDir.h"

namespace tessaly::platform {
namespace {

using test::ScopedEnv;
using test::TempDir;
using test::W;

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 07777;
}

TEST(TempFiles, UniqueOwnerOnlyFilesFromThreeCharacterPrefix)
{
    TempDir dir;
    ScopedEnv env("TMPDIR", dir.path().string());
    EXPECT_EQ(TempFolder(), dir.folder16());
    std::set<std::u16string> names;
    for (int i = 0; i < 5; ++i) {
        const auto path = CreateUniqueTempFile(u"QlnExtra");
        ASSERT_TRUE(path);
        EXPECT_EQ(path->substr(0, dir.folder16().size() + 3), dir.folder16() + u"Qln");
        EXPECT_EQ(ModeOf(Utf16ToUtf8(*path)), 0600u);
        names.insert(*path);
    }
    EXPECT_EQ(names.size(), 5u);
    // A separator in the prefix cannot move the file out of the folder.
    const auto sneaky = CreateUniqueTempFile(u"../x");
    ASSERT_TRUE(sneaky);
    EXPECT_EQ(sneaky->find(u"/../"), std::u16string::npos);
    EXPECT_EQ(sneaky->rfind(u'/') + 1, dir.folder16().size());
}

TEST(TempFiles, FailsCleanlyWhenTheFolderIsMissing)
{
    ScopedEnv env("TMPDIR", "/nonexistent-tessaly-folder");
    EXPECT_EQ(TempFolder(), u"/nonexistent-tessaly-folder/");
    EXPECT_FALSE(CreateUniqueTempFile(u"Qln"));
}

TEST(ForceRemove, RemovesReadOnlyFilesAndLinksButNotTheirTargets)
{
    TempDir dir;
    const std::string ro = dir.file("ro.txt");
    test::WriteFile(ro, "x");
    ::chmod(ro.c_str(), 0400);
    ForceRemoveFile(W(ro));
    EXPECT_FALSE(PathExists(ro));

    const std::string target = dir.file("target.txt");
    const std::string link = dir.file("link.txt");
    test::WriteFile(target, "keep");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ForceRemoveFile(W(link));
    EXPECT_FALSE(PathExists(link));
    EXPECT_EQ(test::ReadFile(target), "keep");

    ForceRemoveFile(W(dir.file("never-there")));  // no effect, no failure
    ForceRemoveFile(u"");
    ForceRemoveFile(W(dir.path().string()));  // a folder is not removed
    EXPECT_TRUE(PathExists(dir.path().string()));
}

TEST(FilePaths, BackslashesInConfiguredNamesBecomeSeparators)
{
    EXPECT_EQ(NativeRelativePath(u"PreLoginWait\\wait.htm"), u"PreLoginWait/wait.htm");
    EXPECT_EQ(JoinConfigPath(u"/opt/app/Config/", u"skin\\img\\a.png"), u"/opt/app/Config/skin/img/a.png");
    EXPECT_EQ(JoinConfigPath(u"/opt/app/Config/", u""), u"/opt/app/Config/");
}

TEST(FileIO, ReadsOnlySmallRegularFiles)
{
    TempDir dir;
    test::WriteFile(dir.file("a"), std::string("a\0b", 3));
    EXPECT_EQ(ReadSmallFile(dir.file("a")), std::string("a\0b", 3));
    EXPECT_FALSE(ReadSmallFile(dir.file("a"), 2));
    EXPECT_FALSE(ReadSmallFile(dir.file("missing")));
    EXPECT_FALSE(ReadSmallFile(dir.path().string()));
    EXPECT_FALSE(ReadSmallFile(""));
    // A FIFO must neither block nor be read.
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(ReadSmallFile(dir.file("fifo")));
}

TEST(FileIO, ReplaceFollowsLinksAndLeavesNoTemporaryFiles)
{
    TempDir dir;
    test::WriteFile(dir.file("real"), "old");
    ASSERT_EQ(::symlink("real", dir.file("link").c_str()), 0);
    ASSERT_TRUE(ReplaceFileContents(dir.file("link"), "new"));
    EXPECT_EQ(test::ReadFile(dir.file("real")), "new");
    struct stat st {};
    ASSERT_EQ(::lstat(dir.file("link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    EXPECT_FALSE(ReplaceFileContents(dir.file("missing/x"), "new"));

    // A chain whose last link points at nothing yet makes the target and keeps both links.
    std::filesystem::create_directory(dir.file("state"));
    ASSERT_EQ(::symlink("state/next", dir.file("first").c_str()), 0);
    ASSERT_EQ(::symlink(dir.file("state/file").c_str(), dir.file("state/next").c_str()), 0);
    ASSERT_TRUE(ReplaceFileContents(dir.file("first"), "made"));
    EXPECT_EQ(test::ReadFile(dir.file("state/file")), "made");
    EXPECT_EQ(std::filesystem::read_symlink(dir.file("first")), "state/next");
    ASSERT_EQ(::symlink("loop", dir.file("loop").c_str()), 0);
    EXPECT_FALSE(ReplaceFileContents(dir.file("loop"), "x"));
}

// In a folder anyone may write, another user's link could aim a write at any file of the caller.
TEST(FileIO, ReplaceRefusesAnotherUsersLinkInASharedFolder)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give a link another owner";
    TempDir dir;
    std::filesystem::create_directory(dir.file("shared"));
    std::filesystem::permissions(dir.file("shared"), std::filesystem::perms::all);
    test::WriteFile(dir.file("victim"), "mine");
    ASSERT_EQ(::symlink(dir.file("victim").c_str(), dir.file("shared/Parvex.cfg").c_str()), 0);
    ASSERT_TRUE(ReplaceFileContents(dir.file("shared/Parvex.cfg"), "root's own link"));
    ASSERT_EQ(::lchown(dir.file("shared/Parvex.cfg").c_str(), 65534, 65534), 0);
    EXPECT_FALSE(ReplaceFileContents(dir.file("shared/Parvex.cfg"), "planted"));
    EXPECT_EQ(test::ReadFile(dir.file("victim")), "root's own link");
}

// Writing through a link, into a folder or a FIFO (which would block until a reader came) is refused.
TEST(AppendFile, RefusesEverythingButRegularFiles)
{
    TempDir dir;
    ASSERT_EQ(::symlink(dir.file("dangling-target").c_str(), dir.file("dangling").c_str()), 0);
    EXPECT_FALSE(AppendFile::Open(dir.file("dangling")).valid());
    EXPECT_FALSE(PathExists(dir.file("dangling-target")));
    EXPECT_FALSE(AppendFile::Open(dir.path().string()).valid());
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(AppendFile::Open(dir.file("fifo")).valid());
    EXPECT_FALSE(AppendFile().Append("x"));
}

TEST(Threads, TicksAreMilliseconds)
{
    const std::uint32_t before = TickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const std::uint32_t elapsed = TickCount() - before;  // wraps like the 32-bit counter
    EXPECT_GE(elapsed, 19u);
    EXPECT_LT(elapsed, 5000u);
}

TEST(LocalTime, FormatsTheLocalCalendarTime)
{
    ScopedEnv tz("TZ", "UTC");
    ::tzset();
    EXPECT_EQ(FormatLocalTime(0), "1970-01-01 00:00:00");
    EXPECT_EQ(FormatLocalTime(1700000205), "2023-11-14 22:16:45");
    EXPECT_NEAR(static_cast<double>(CurrentTimeSeconds()), static_cast<double>(::time(nullptr)), 2.0);
}

}  // namespace
}  // namespace tessaly::platform
