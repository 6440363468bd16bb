// Files and folders that are missing, of the wrong kind, unwritable or on a full disk. Configuration
// problems are never errors: they give empty values and the call still runs to its documented end.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "common/ChildProcess.h"
#include "faults/FakeMode.h"
#include "faults/LibrarySandbox.h"

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// What a call without any configuration gives for the reply -102: the code, an empty message, and a
// request that was built from an empty pattern.
void ExpectUnconfiguredCall(LibrarySandbox& sandbox, const char* what)
{
    FakeMode fake(sandbox, "reply:-102");
    std::int32_t code = 0;
    std::u16string message = u"x";
    EXPECT_EQ(sandbox.CallPreLogin(&code, &message), 0) << what;
    EXPECT_EQ(code, -102) << what;
    EXPECT_EQ(message, u"") << what;
    EXPECT_NE(fake.Record().find("requestDataFromUrl  length=128"), std::string::npos) << what << fake.Record();
}

TEST(FileFaultTest, MissingMalformedOrWrongKindOfConfigurationGivesEmptyValues)
{
    {
        LibrarySandbox sandbox;
        fs::remove_all(sandbox.ConfigFolder());
        ExpectUnconfiguredCall(sandbox, "no Config folder");
        EXPECT_FALSE(fs::exists(sandbox.ConfigFolder())) << "the library must not create folders";
    }
    {
        LibrarySandbox sandbox;
        fs::remove(sandbox.ConfigFolder() / "VomoLoginCfg.xml");
        fs::create_directory(sandbox.ConfigFolder() / "VomoLoginCfg.xml");
        ExpectUnconfiguredCall(sandbox, "folder in place of the file");
    }
    {
        LibrarySandbox sandbox;
        const std::string xml = kLoginConfigXml;
        sandbox.WriteConfigFile("VomoLoginCfg.xml", xml.substr(0, xml.size() / 2));
        ExpectUnconfiguredCall(sandbox, "truncated file");
    }
    {
        LibrarySandbox sandbox;
        sandbox.WriteConfigFile("VomoLoginCfg.xml", "\xff\xfe\x00\x00garbage");
        ExpectUnconfiguredCall(sandbox, "binary garbage");
    }
}

TEST(FileFaultTest, MissingServiceAddressLeavesTheFirstValueEmpty)
{
    LibrarySandbox sandbox;
    fs::remove(sandbox.ConfigFolder() / "orvane.cfg");
    fs::create_directory(sandbox.ConfigFolder() / "orvane.cfg");
    FakeMode fake(sandbox, "reply:0");
    EXPECT_EQ(sandbox.CallPreLogin(), 1);
    EXPECT_NE(fake.Record().find("requestDataFromUrl ?user=alice&password=secret&ip="), std::string::npos)
        << fake.Record();
}

// A named pipe where a configuration file should be: opening it for reading would wait for a writer
// for ever. The call must come back.
TEST(FileFaultTest, PipeInPlaceOfAConfigurationFileDoesNotHang)
{
    for (const char* name : {"VomoLoginCfg.xml", "orvane.cfg"}) {
        LibrarySandbox sandbox;
        const fs::path file = sandbox.ConfigFolder() / name;
        fs::remove(file);
        ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
        const ChildOutcome outcome = RunInChild(
            [&] {
                FakeMode fake(sandbox, "reply:-102");
                std::int32_t code = 0;
                return sandbox.CallPreLogin(&code) == 0 && code == -102 ? 0 : 1;
            },
            10s);
        EXPECT_EQ(outcome.exitCode, 0) << name << " as a pipe: " << outcome.Describe();
    }
}

// The library's file removed while it is loaded: its folder can no longer be found. Then no
// configuration is read or written anywhere, least of all in the host's current folder (which here
// holds every file the library might look for), and the trace says why.
TEST(FileFaultTest, UnknownLibraryFolderReadsAndWritesNoConfiguration)
{
    LibrarySandbox sandbox(Companions::Fake, /*tracing=*/true);
    ASSERT_TRUE(sandbox.Load());
    fs::remove(sandbox.LibraryFolder() / "libtessaly.so");
    const fs::path cwd = sandbox.Root() / "cwd";
    fs::create_directories(cwd / "PreLoginWait");
    std::ofstream(cwd / "VomoLoginCfg.xml") << kLoginConfigXml;
    std::ofstream(cwd / "orvane.cfg") << "[WebUrl]\nVomoLoginUrl=http://127.0.0.1:9/login\n"
                                         "PreLoginFromInternet=http://127.0.0.1:9/prelogin/exchange\n";
    std::ofstream(cwd / "Parvex.cfg") << "[COMMON]\nForceGetPcid=1\n";
    std::ofstream(cwd / "PreLoginWait" / "wait.htm") << "<html><body>wait</body></html>";
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, cwd.c_str(), IN_OPEN | IN_CREATE), 0);
    const fs::path previous = fs::current_path();
    fs::current_path(cwd);

    std::int32_t code = 0;
    EXPECT_EQ(sandbox.CallPreLogin(&code), 0);
    EXPECT_EQ(code, -1);
    if (std::getenv("DISPLAY")) {
        EXPECT_EQ(sandbox.CallRedirect(), 1) << "no exchange address: the window ends as soon as the worker reports";
    }
    fs::current_path(previous);

    std::string touched;
    alignas(inotify_event) char events[4096];
    for (ssize_t n; (n = ::read(watch, events, sizeof events)) > 0;) {
        for (char* at = events; at < events + n; at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(at)->len) {
            if (const auto* event = reinterpret_cast<inotify_event*>(at); event->len > 0)
                touched += std::string(event->name) + "\n";
        }
    }
    ::close(watch);
    EXPECT_EQ(touched, "") << "opened or created in the host's current folder";
    EXPECT_NE(ReadFile(sandbox.TraceFile()).find("--Library folder unknown: orvane.cfg is neither read nor written"),
              std::string::npos);
}

TEST(FileFaultTest, TraceFolderMissingLosesLinesOnly)
{
    LibrarySandbox sandbox(Companions::Fake, /*tracing=*/true);
    fs::remove_all(sandbox.ConfigFolder());
    FakeMode fake(sandbox, "reply:0");
    EXPECT_EQ(sandbox.CallPreLogin(), 1);
    EXPECT_FALSE(fs::exists(sandbox.ConfigFolder()));
}

// Mounts a small tmpfs over the sandbox's configuration folder (root only); the files are copied in.
class SmallDisk {
public:
    SmallDisk(const fs::path& folder, const char* options) : folder_(folder)
    {
        const fs::path saved = folder.parent_path() / "Config.saved";
        fs::rename(folder, saved);
        fs::create_directory(folder);
        mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options) == 0;
        for (const auto& entry : fs::directory_iterator(saved))
            fs::copy(entry.path(), folder / entry.path().filename());
        fs::remove_all(saved);
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    bool MakeReadOnly() { return ::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0; }

private:
    fs::path folder_;
    bool mounted_ = false;
};

const std::regex kTraceLine(R"(TID:\d{6,} \[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\]     [^\r\n]*\r?)");

// Every complete line of the trace must have the line format; a line the full disk cut short may only
// be the very last one.
void ExpectWholeLines(const std::string& trace, bool lastMayBeCut)
{
    std::size_t start = 0, lines = 0;
    while (start < trace.size()) {
        const std::size_t end = trace.find('\n', start);
        const std::string line = trace.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (end == std::string::npos && lastMayBeCut)
            break;
        EXPECT_TRUE(std::regex_match(line, kTraceLine)) << "line " << lines << ": " << line;
        ++lines;
        start = end == std::string::npos ? trace.size() : end + 1;
    }
}

TEST(FileFaultTest, FullDiskForTheTraceLogLosesLinesButNotResults)
{
    LibrarySandbox sandbox(Companions::Fake, /*tracing=*/true);
    SmallDisk disk(sandbox.ConfigFolder(), "size=64k,mode=0755");
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root; see scripts/sanitize.sh for the rlimit variant";
    std::error_code ignored;
    const fs::path filler = sandbox.ConfigFolder() / "filler";
    {
        std::ofstream out(filler, std::ios::binary);
        const std::string block(4096, 'F');
        while (out.write(block.data(), block.size()))
            ;
    }
    FakeMode fake(sandbox, "reply:-102");
    for (int i = 0; i < 20; ++i) {
        std::int32_t code = 0;
        std::u16string message;
        ASSERT_EQ(sandbox.CallPreLogin(&code, &message), 0);
        ASSERT_EQ(code, -102);
        ASSERT_EQ(message, u"Wrong password");
    }
    ExpectWholeLines(ReadFile(sandbox.TraceFile()), true);

    // Space again: tracing resumes by itself.
    fs::remove(filler, ignored);
    fs::remove(sandbox.TraceFile(), ignored);
    EXPECT_EQ(sandbox.CallPreLogin(), 0);
    const std::string trace = ReadFile(sandbox.TraceFile());
    EXPECT_NE(trace.find("Exit  Fun CVomoLogin::LoginService, Ret is 0"), std::string::npos);
    ExpectWholeLines(trace, false);
}

TEST(FileFaultTest, TraceFileSizeLimitOfTheProcessIsSurvived)
{
    LibrarySandbox sandbox(Companions::Fake, /*tracing=*/true);
    const ChildOutcome outcome = RunInChild(
        [&] {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{2000, 2000};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            FakeMode fake(sandbox, "reply:0");
            for (int i = 0; i < 20; ++i)
                if (sandbox.CallPreLogin() != 1)
                    return 1;
            return 0;
        },
        60s);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.Describe();
    EXPECT_LE(fs::file_size(sandbox.TraceFile()), 2000u);
}

TEST(FileFaultTest, ReadOnlyConfigurationFolderStillServesLogins)
{
    LibrarySandbox sandbox(Companions::Fake, /*tracing=*/true);
    SmallDisk disk(sandbox.ConfigFolder(), "size=1m,mode=0755");
    if (!disk.mounted() || !disk.MakeReadOnly())
        GTEST_SKIP() << "a read-only mount needs root";
    FakeMode fake(sandbox, "reply:-102");
    std::u16string message;
    EXPECT_EQ(sandbox.CallPreLogin(nullptr, &message), 0);
    EXPECT_EQ(message, u"Wrong password");
    EXPECT_FALSE(fs::exists(sandbox.TraceFile()));
}

}  // namespace
}  // namespace tessaly::test
