#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>
#include <regex>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "platform/LocalTime.h"
#include "platform/Threads.h"
#include "support/SwallowedException.h"
#include "support/TraceTestSupport.h"

namespace tessaly {
namespace {

using test::EnableTracing;
using test::Lines;
using test::MessageOf;
using test::ScopedEnv;
using test::TempDir;
using test::W;

bool SwitchTurnsTracingOn(const std::string& regText)
{
    TempDir dir;
    test::system::ScopedSettingsStore store(dir.path(), regText);
    CLogTrace log;
    log.Init(W(dir.file("log.txt")), -1, 1000);
    return log.Enabled();
}

TEST(TraceSwitches, EitherSwitchEqualToOneTurnsTracingOn)
{
    const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\pelmorix\\Orvane3.0]\n";
    const std::string root = "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n";
    EXPECT_TRUE(SwitchTurnsTracingOn(key + "\"Debug\"=\"1\"\n"));
    EXPECT_TRUE(SwitchTurnsTracingOn(key + "\"debug\"=dword:00000001\n"));
    EXPECT_TRUE(SwitchTurnsTracingOn(root + "\"QuillonDebugFlag\"=\"1\"\n"));
    EXPECT_TRUE(SwitchTurnsTracingOn(key + "\"Debug\"=\"0\"\n" + root + "\"QuillonDebugFlag\"=dword:1\n"));
    for (const char* off : {"\"Debug\"=\"01\"\n", "\"Debug\"=\" 1\"\n", "\"Debug\"=\"true\"\n", "\"Debug\"=dword:2\n",
                            "\"Debug\"=hex:01\n", "\"Other\"=\"1\"\n"})
        EXPECT_FALSE(SwitchTurnsTracingOn(key + off)) << off;
    EXPECT_FALSE(SwitchTurnsTracingOn("[HKEY_CURRENT_USER\\SOFTWARE]\n\"QuillonDebugFlag\"=\"1\"\n"));
}

// A scratch folder and a log object of its own for each test.
class TraceLog : public ::testing::Test {
protected:
    std::vector<std::string> LogLines() const { return Lines(dir.file("UILogTrace.txt")); }
    TempDir dir;
    CLogTrace log;
};
using TraceBinary = TraceLog;

TEST_F(TraceLog, OffByDefaultAndNothingIsCreatedWhileOff)
{
    test::system::ScopedSettingsStore store(dir.path());
    EXPECT_FALSE(log.Enabled());
    log.Init(W(dir.file("UILogTrace.txt")), -1, 0xA00000);
    EXPECT_FALSE(log.Enabled());
    log.Trace(4, u"Enter Fun CVomoLogin::Init");
    log.TraceBinary(u"tag", 3, "abc");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(TraceLog, LineFormatIsExact)
{
    EnableTracing(log, dir);
    ASSERT_TRUE(log.Enabled());
    const std::int64_t before = platform::CurrentTimeSeconds();
    log.Trace(4, u"Exit  Fun %s::%s, Ret is %d", u"CVomoLogin", u"Init", -3);
    const std::int64_t after = platform::CurrentTimeSeconds();

    const std::string text = test::ReadFile(dir.file("UILogTrace.txt"));
    std::smatch m;
    const std::regex shape(R"(TID:(\d{6,}) \[(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)\.(\d{3})\]     (.*)\n)");
    ASSERT_TRUE(std::regex_match(text, m, shape)) << text;
    EXPECT_EQ(std::stol(m[1]), platform::CurrentThreadId());
    EXPECT_EQ(m[4], "Exit  Fun CVomoLogin::Init, Ret is -3");
    // The three digits are the seconds counter modulo 1000, never milliseconds.
    bool matched = false;
    for (std::int64_t t = before; t <= after; ++t)
        matched |= m[2] == platform::FormatLocalTime(t) && std::stoi(m[3]) == t % 1000;
    EXPECT_TRUE(matched) << text;
}

TEST_F(TraceLog, LevelMaskAndLongMessages)
{
    EnableTracing(log, dir, 0xA00000, 2);
    log.Trace(4, u"masked out");
    EXPECT_FALSE(std::filesystem::exists(dir.file("UILogTrace.txt")));
    EnableTracing(log, dir);
    log.Trace(4, u"%s", std::u16string(2000, u'\u4e2d'));
    log.Trace(4, u"%n%s%d");  // configured-looking pattern with missing values: written as it stands
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(MessageOf(lines[0]).size(), 1023u * 3);  // 1023 characters of three UTF-8 bytes
    EXPECT_EQ(MessageOf(lines[1]), "%n%s%d");
}

TEST_F(TraceLog, FileOverTheLimitIsReplacedBeforeTheNextLine)
{
    EnableTracing(log, dir, 100);
    log.Trace(4, u"first %s", std::u16string(80, u'x'));
    log.Trace(4, u"second");  // the first line alone is over 100 bytes
    auto lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(MessageOf(lines[0]), "second");
    log.Trace(4, u"third");  // the file is under the limit: appended, may end above it
    lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(MessageOf(lines[1]), "third");
}

TEST_F(TraceLog, BadPlacesDropTheLineQuietly)
{
    EnableTracing(log, dir);
    // Missing folder: not created.
    log.Init(W(dir.file("missing/UILogTrace.txt")), -1, 100);
    log.Trace(4, u"lost");
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
    // A symbolic link in place of the log: its target is never written (where the system has links).
    test::WriteFile(dir.file("victim"), "keep");
    std::error_code noLinks;
    std::filesystem::create_symlink(dir.file("victim"), dir.file("link.txt"), noLinks);
    if (!noLinks) {
        log.Init(W(dir.file("link.txt")), -1, 0xA00000);
        log.Trace(4, u"lost");
        log.TraceBinary(u"t", 1, "x");
        EXPECT_EQ(test::ReadFile(dir.file("victim")), "keep");
    }
    // A relative name never lands in the current folder.
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    log.Init(u"relative.txt", -1, 0xA00000);
    log.Trace(4, u"lost");
    std::filesystem::current_path(cwd);
    EXPECT_FALSE(std::filesystem::exists(dir.file("relative.txt")));
    // A read-only folder (meaningful only without root's override).
    if (test::system::CanMakeFolderReadOnly()) {
        std::filesystem::create_directory(dir.file("ro"));
        ::chmod(dir.file("ro").c_str(), 0500);
        log.Init(W(dir.file("ro/UILogTrace.txt")), -1, 0xA00000);
        log.Trace(4, u"lost");
        EXPECT_TRUE(std::filesystem::is_empty(dir.file("ro")));
    }
}

TEST_F(TraceLog, FilesAreOwnerOnly)
{
    if (test::system::kWindows)
        GTEST_SKIP() << "file modes are a Linux matter";
    EnableTracing(log, dir);
    log.Trace(4, u"x");
    log.TraceBinary(u"t", 1, "x");
    for (const char* name : {"UILogTrace.txt", "UILogTrace.txt.Dat"}) {
        struct stat st {};
        ASSERT_EQ(::stat(dir.file(name).c_str(), &st), 0) << name;
        EXPECT_EQ(st.st_mode & 0777, 0600u) << name;
    }
}

TEST_F(TraceLog, LinesOfConcurrentThreadsStayWhole)
{
    EnableTracing(log, dir);
    auto writer = [this](char16_t fill) {
        for (int i = 0; i < 200; ++i)
            log.Trace(4, u"%s", std::u16string(300, fill));
    };
    std::thread a(writer, u'a'), b(writer, u'b');
    a.join();
    b.join();
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 400u);
    for (const auto& line : lines) {
        const std::string message = MessageOf(line);
        ASSERT_TRUE(message == std::string(300, 'a') || message == std::string(300, 'b')) << line;
    }
}

// Lines of one length and a limit of three lines: every fourth line finds the file over the limit and
// starts a new one, so after n lines, in whatever order the threads wrote them, the file holds the
// last ((n - 1) mod 4) + 1 of them. A line written into a file that another thread deletes, or a new
// file deleted under a line just written, shows as a shorter file.
TEST_F(TraceLog, ConcurrentRotationsLoseNoLine)
{
    constexpr int kPerThread = 1500;
    auto writer = [this](char16_t fill) {
        // The thread id has six or more digits; the message makes up the difference.
        const std::size_t idDigits = std::to_string(platform::CurrentThreadId()).size();
        const std::u16string message(24 - std::max<std::size_t>(idDigits, 6), fill);
        for (int i = 0; i < kPerThread; ++i)
            log.Trace(4, u"%s", message);
    };
    // "TID:", id and message, " [2000-01-01 00:00:00.000]     ", line feed.
    const std::size_t lineBytes = 4 + 24 + 31 + 1;
    EnableTracing(log, dir, static_cast<std::uint32_t>(3 * lineBytes));
    std::thread a(writer, u'a'), b(writer, u'b');
    a.join();
    b.join();
    const std::string text = test::ReadFile(dir.file("UILogTrace.txt"));
    EXPECT_EQ(text.size(), ((2 * kPerThread - 1) % 4 + 1) * lineBytes) << text;
}

TEST_F(TraceBinary, HeaderLineAndRecordShareTheirNumber)
{
    EnableTracing(log, dir);
    const char data[] = {'A', '\0', '\xFF', '\n'};
    log.TraceBinary(u"Upload", sizeof data, data);
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    char address[32];
    std::snprintf(address, sizeof address, "%lX", static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(data)));
    std::smatch m;
    const std::string header = MessageOf(lines[0]);
    const std::regex shape("Upload\xEF\xBC\x8C" "ID:(\\d+)\xEF\xBC\x8C" "Buffer Add is 0X([0-9A-F]+), Buffer Len is 0X4");
    ASSERT_TRUE(std::regex_match(header, m, shape)) << header;
    EXPECT_EQ(m[2], address);
    const std::string record = test::ReadFile(dir.file("UILogTrace.txt.Dat"));
    EXPECT_EQ(record, "Write binary data\xEF\xBC\x8C" "ID:" + m[1].str() + "::::" + std::string(data, sizeof data) +
                          "================\r\n");
}

TEST_F(TraceBinary, WithoutDataOnlyTheHeaderIsWrittenButTheCountStillRises)
{
    EnableTracing(log, dir);
    log.TraceBinary(u"none", 0, "x");
    log.TraceBinary(u"null", 5, nullptr);
    log.TraceBinary(u"negative", -1, "x");
    EXPECT_TRUE(std::filesystem::exists(dir.file("UILogTrace.txt.Dat")));
    EXPECT_EQ(std::filesystem::file_size(dir.file("UILogTrace.txt.Dat")), 0u);
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(MessageOf(lines[1]).find("Buffer Add is 0X0, Buffer Len is 0X5"), std::string::npos);
    EXPECT_NE(MessageOf(lines[2]).find("Buffer Len is 0XFFFFFFFF"), std::string::npos);
    // The dump number is the last digit run before the comma; consecutive calls count up by one.
    auto number = [](const std::string& message) {
        const auto id = message.find("ID:") + 3;
        return message.substr(id, message.find('\xEF', id) - id);
    };
    EXPECT_NE(number(MessageOf(lines[0])), number(MessageOf(lines[1])));
}

TEST_F(TraceBinary, MaskWithoutBitFourWritesNothing)
{
    EnableTracing(log, dir, 0xA00000, 3);
    log.TraceBinary(u"t", 1, "x");
    EXPECT_FALSE(std::filesystem::exists(dir.file("UILogTrace.txt.Dat")));
}

// A no-throw path that swallows an exception says which kind it was.
TEST(TraceSwallowed, NamesTheKindOfTheSwallowedException)
{
    TempDir dir;
    EnableTracing(g_LogTrace, dir);
    auto swallow = [](auto thrown) {
        try {
            throw thrown;
        } catch (...) {
            TraceSwallowed(u"Here", u"it failed");
        }
    };
    swallow(std::bad_alloc());
    swallow(std::system_error(std::make_error_code(std::errc::invalid_argument)));
    swallow(std::runtime_error("x"));
    swallow(42);
    g_LogTrace.SetEnabledForTesting(false);
    std::vector<std::string> messages;
    for (const std::string& line : Lines(dir.file("UILogTrace.txt")))
        messages.push_back(MessageOf(line));
    EXPECT_EQ(messages, (std::vector<std::string>{"--Here: it failed (out of memory)", "--Here: it failed (a system error)",
                                                  "--Here: it failed (a standard exception)",
                                                  "--Here: it failed (an exception of an unknown type)"}));
}

}  // namespace
}  // namespace tessaly
