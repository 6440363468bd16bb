// Tessaly.dll as a Windows host sees it: loaded with LoadLibraryW from a folder of its own beside its
// companions and Config\, against the stand-in service that the test's wrapper started
// (TESSALY_TEST_SERVICE_URL).
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <tessaly/tessaly.h>

#include "TestSystem.h"
#include "common/TempDir.h"
#include "common/TracingStore.h"

namespace {

namespace fs = std::filesystem;
using tessaly::test::TempDir;

// Enciphered on Linux with its Cyvelle.so (tessaly-host encrypt): the same text deciphers here.
constexpr const char* kRightPassword =
    "C7000A2DFFDBBC2DF300BA24BE2F1C4CC92076E093EBC7896E3BFA9B85161110924A9C1278907FB6B8";  // wonderland
constexpr const char* kWrongPassword =
    "C70009BACA3011CCADE330483E183EA470852BAA52AAACEB2F987B00E9370530B8AF3B12F07E5857";  // wrongpass

std::string ServiceUrl()
{
    const char* url = std::getenv("TESSALY_TEST_SERVICE_URL");
    return url ? url : "";
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// Copies of the build's library, companions and Config\ in a scratch folder, its login address
// pointed at `loginUrl`.
class Sandbox {
public:
    explicit Sandbox(const std::string& loginUrl)
    {
        const fs::path out = fs::path(TESSALY_OUT_DIR).make_preferred();
        for (const char* name : {"Tessaly.dll", "Trelvin.dll", "Cyvelle.dll", "Parvex.dll", "Dunmore.dll"})
            fs::copy_file(out / name, m_dir.path() / name);
        fs::copy(out / "Config", m_dir.path() / "Config", fs::copy_options::recursive);
        SetLoginUrl(loginUrl);
    }
    void SetLoginUrl(const std::string& url) const
    {
        tessaly::test::WriteFile(Config("orvane.cfg").string(),
                                 "[WebUrl]\r\nVomoLoginUrl=" + url + "\r\nPreLoginFromInternet=\r\n");
    }
    fs::path Config(const std::string& name) const { return m_dir.path() / "Config" / name; }
    fs::path File(const std::string& name) const { return m_dir.path() / name; }

private:
    TempDir m_dir;
};

// The library loaded for one test, with its two exports.
class Loaded {
public:
    explicit Loaded(const fs::path& dll) : m_module(::LoadLibraryW(dll.wstring().c_str()))
    {
        if (m_module) {
            preLogin = reinterpret_cast<TessalyPreLoginProc>(reinterpret_cast<void*>(::GetProcAddress(m_module, "PreLogin")));
            redirect = reinterpret_cast<TessalyRedirectProc>(reinterpret_cast<void*>(::GetProcAddress(m_module, "Redirect")));
        }
    }
    ~Loaded()
    {
        if (m_module)
            ::FreeLibrary(m_module);
    }
    Loaded(const Loaded&) = delete;
    Loaded& operator=(const Loaded&) = delete;
    bool ok() const { return m_module && preLogin && redirect; }

    TessalyPreLoginProc preLogin = nullptr;
    TessalyRedirectProc redirect = nullptr;

private:
    HMODULE m_module;
};

struct Outcome {
    int result = -2;
    int code = 0;
    std::wstring message;
    bool passwordEmptied = false;
};

Outcome Call(const Loaded& library, const wchar_t* user, const char* passwordHex, const wchar_t* oldMessage = L"kept")
{
    PreLoginRequest request {};
    PreLoginResult result {};
    TessalyStringSet(&request.m_strUserName, user);
    TessalyStringSetUtf8(&request.m_strPassword, passwordHex);
    TessalyStringSet(&result.m_strMessage, oldMessage);
    result.m_nCode = 12345;
    Outcome outcome;
    outcome.result = library.preLogin(&request, &result);
    outcome.code = result.m_nCode;
    outcome.message = result.m_strMessage ? result.m_strMessage : L"";
    outcome.passwordEmptied = request.m_strPassword == nullptr;
    TessalyStringFree(&request.m_strUserName);
    TessalyStringFree(&request.m_strPassword);
    TessalyStringFree(&result.m_strMessage);
    return outcome;
}

class WindowsModule : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(ServiceUrl().empty()) << "run through tests/wine/with-service.sh"; }
    std::string LoginUrl() const { return ServiceUrl() + "/login"; }
};

TEST_F(WindowsModule, SignInOutcomesAsOnLinux)
{
    Sandbox sandbox(LoginUrl());
    Loaded library(sandbox.File("Tessaly.dll"));
    ASSERT_TRUE(library.ok());

    const Outcome right = Call(library, L"alice", kRightPassword);
    EXPECT_EQ(right.result, 1);
    EXPECT_EQ(right.code, 0);
    EXPECT_EQ(right.message, L"kept") << "an accepted login leaves the message alone";
    EXPECT_TRUE(right.passwordEmptied) << "the password member holds the (absent) Pwd item afterwards";

    const Outcome wrong = Call(library, L"alice", kWrongPassword);
    EXPECT_EQ(wrong.result, 0);
    EXPECT_EQ(wrong.code, -102);
    EXPECT_EQ(wrong.message, L"The password is not correct. Please try again.");

    EXPECT_EQ(Call(library, L"nobody", kRightPassword).code, -101);

    sandbox.SetLoginUrl("http://127.0.0.1:9/login");  // nothing listens on the discard port
    const Outcome down = Call(library, L"alice", kRightPassword);
    EXPECT_EQ(down.result, 0);
    EXPECT_EQ(down.code, -1);
    EXPECT_EQ(down.message, L"Sign-in could not be completed (error -1). Please try again later.");
}

TEST_F(WindowsModule, HostileInputsGiveAClearResult)
{
    Sandbox sandbox(LoginUrl());
    Loaded library(sandbox.File("Tessaly.dll"));
    ASSERT_TRUE(library.ok());
    PreLoginResult result {};
    PreLoginRequest request {};
    EXPECT_EQ(library.preLogin(nullptr, &result), 0);
    EXPECT_EQ(library.preLogin(&request, nullptr), 0);
    EXPECT_EQ(library.preLogin(nullptr, nullptr), 0);
    EXPECT_EQ(library.preLogin(&request, &result), 0);  // NULL strings: an empty user, no password
    TessalyStringFree(&result.m_strMessage);

    const std::wstring huge(1 << 20, L'u');
    EXPECT_EQ(Call(library, huge.c_str(), kRightPassword).result, 0);
    const wchar_t lone[] = {L'a', 0xD800, L'b', 0};
    EXPECT_EQ(Call(library, lone, kRightPassword).code, -101);
    EXPECT_EQ(Call(library, L"alice", "not hex at all").code, -102);
    // The user name cannot add a parameter: "&user=alice" stays part of an unknown name.
    EXPECT_EQ(Call(library, L"x&user=alice", kRightPassword).code, -101);
}

TEST_F(WindowsModule, BrokenSetUpsFailWithoutACrash)
{
    Sandbox sandbox(ServiceUrl() + "/reply?text=");
    {
        Loaded library(sandbox.File("Tessaly.dll"));
        ASSERT_TRUE(library.ok());
        EXPECT_EQ(Call(library, L"alice", kRightPassword).code, -1) << "a reply without a code is no answer";
        sandbox.SetLoginUrl(LoginUrl());
        tessaly::test::WriteFile(sandbox.Config("VomoLoginCfg.xml").string(), "<CommonWindow><VomoLogin>");
        const Outcome broken = Call(library, L"alice", kRightPassword);
        EXPECT_EQ(broken.result, 0) << "no login pattern: no request";
        EXPECT_EQ(broken.code, -1);
        fs::remove(sandbox.Config("VomoLoginCfg.xml"));
        EXPECT_EQ(Call(library, L"alice", kRightPassword).code, -1);
    }
    fs::remove(sandbox.File("Trelvin.dll"));
    Loaded library(sandbox.File("Tessaly.dll"));
    ASSERT_TRUE(library.ok());
    const Outcome noAgent = Call(library, L"alice", kRightPassword);
    EXPECT_EQ(noAgent.result, 0);
    EXPECT_EQ(noAgent.code, -1);
}

TEST_F(WindowsModule, TraceGoesToConfigWhenTheRegistrySwitchIsSet)
{
    Sandbox sandbox(LoginUrl());
    {
        Loaded library(sandbox.File("Tessaly.dll"));
        ASSERT_TRUE(library.ok());
        Call(library, L"bob", kWrongPassword);
    }
    EXPECT_FALSE(fs::exists(sandbox.Config("UILogTrace.txt"))) << "nothing is written while the switch is off";

    TempDir scratch;
    tessaly::test::system::ScopedSettingsStore on(scratch.path(), tessaly::test::kDebugOn);
    Loaded library(sandbox.File("Tessaly.dll"));
    ASSERT_TRUE(library.ok());
    Call(library, L"bob", kWrongPassword);
    const std::string trace = tessaly::test::ReadFile(sandbox.Config("UILogTrace.txt"));
    EXPECT_NE(trace.find("Enter Fun CVomoLogin::Init"), std::string::npos) << trace;
    EXPECT_NE(trace.find("Exit  Fun CVomoLogin::QLRequestNet, Ret is -102"), std::string::npos) << trace;
    EXPECT_NE(trace.find("Dll Name is " + sandbox.File("Trelvin.dll").string()), std::string::npos) << trace;
}

// The heap census: a thousand calls, every hostile input and broken set-up among them, leave the heap
// in use where it was. Each kind of call and set-up runs once before the count starts, so that what
// the system keeps from its first use (caches, loaded parsers) is not taken for growth.
TEST_F(WindowsModule, NoHeapGrowthOverAThousandCalls)
{
    Sandbox sandbox(LoginUrl());
    Loaded library(sandbox.File("Tessaly.dll"));
    ASSERT_TRUE(library.ok());
    const fs::path shippedXml = fs::path(TESSALY_OUT_DIR).make_preferred() / "Config" / "VomoLoginCfg.xml";
    const std::wstring huge(1 << 20, L'u');
    const wchar_t lone[] = {L'a', 0xDC00, L'b', 0xD800, 0};
    const std::vector<std::function<void()>> calls = {
        [&] { Call(library, L"alice", kRightPassword); },
        [&] { Call(library, L"bob", kWrongPassword); },
        [&] { Call(library, lone, kRightPassword); },
        [&] { Call(library, L"alice", "not hex at all"); },
        [&] { Call(library, L"x&user=alice", kRightPassword); },
        [&] {
            PreLoginRequest request {};
            PreLoginResult result {};
            library.preLogin(&request, &result);
            library.preLogin(nullptr, &result);
            library.preLogin(&request, nullptr);
            TessalyStringFree(&result.m_strMessage);
        },
    };
    struct SetUp {
        std::function<void()> enter, leave;
    };
    const auto restoreXml = [&] {
        fs::copy_file(shippedXml, sandbox.Config("VomoLoginCfg.xml"), fs::copy_options::overwrite_existing);
    };
    const std::vector<SetUp> setUps = {
        {[] {}, [] {}},
        {[&] { sandbox.SetLoginUrl(ServiceUrl() + "/reply?text="); }, [&] { sandbox.SetLoginUrl(LoginUrl()); }},
        {[&] { sandbox.SetLoginUrl("http://127.0.0.1:9/login"); }, [&] { sandbox.SetLoginUrl(LoginUrl()); }},
        {[&] { tessaly::test::WriteFile(sandbox.Config("VomoLoginCfg.xml").string(), "<CommonWindow><VomoLogin>"); },
         restoreXml},
        {[&] { fs::remove(sandbox.Config("VomoLoginCfg.xml")); }, restoreXml},
        {[&] { fs::rename(sandbox.File("Trelvin.dll"), sandbox.File("Trelvin.off")); },
         [&] { fs::rename(sandbox.File("Trelvin.off"), sandbox.File("Trelvin.dll")); }},
    };
    // The huge user name once a round (it takes about half a second under Wine), then a block of calls
    // in each set-up.
    const auto round = [&](int callsPerSetUp) {
        Call(library, huge.c_str(), kRightPassword);
        int made = 1;
        for (const SetUp& setUp : setUps) {
            setUp.enter();
            for (int i = 0; i < callsPerSetUp; ++i)
                calls[static_cast<std::size_t>(i) % calls.size()]();
            setUp.leave();
            made += callsPerSetUp;
        }
        return made;
    };
    round(static_cast<int>(calls.size()));
    const std::size_t before = tessaly::test::system::HeapBytesInUse();
    int made = 0;
    while (made < 1000)
        made += round(24);
    const std::size_t after = tessaly::test::system::HeapBytesInUse();
    EXPECT_LT(after, before + 16 * 1024) << "heap in use grew from " << before << " to " << after << " bytes over "
                                         << made << " calls";
}

// Loading and freeing the library hands back what its load took (its C++ runtime's emergency buffer
// alone is about 71 KiB a load).
TEST_F(WindowsModule, NoHeapGrowthOverLoadAndFreeCycles)
{
    Sandbox sandbox(LoginUrl());
    const auto cycle = [&] {
        Loaded library(sandbox.File("Tessaly.dll"));
        ASSERT_TRUE(library.ok());
        Call(library, L"bob", kWrongPassword);
    };
    cycle();
    const std::size_t before = tessaly::test::system::HeapBytesInUse();
    for (int i = 0; i < 30; ++i)
        cycle();
    const std::size_t after = tessaly::test::system::HeapBytesInUse();
    EXPECT_LT(after, before + 128 * 1024) << "heap in use grew from " << before << " to " << after << " bytes";
}

TEST(WindowsHeader, StringsComeFromTheComTaskAllocatorAndTheBlockCarriesTheIdentity)
{
    TessalyString text = nullptr;
    ASSERT_EQ(TessalyStringSetUtf8(&text, "gr\xC3\xBC\xC3\x9F"), 0);
    EXPECT_EQ(std::wstring(text), L"gr\u00FC\u00DF");
    IMalloc* allocator = nullptr;
    ASSERT_EQ(::CoGetMalloc(1, &allocator), S_OK);
    EXPECT_EQ(allocator->DidAlloc(text), 1);
    allocator->Release();
    TessalyStringFree(&text);
    EXPECT_EQ(text, nullptr);

    TessalyWndMsgList list {};
    ASSERT_EQ(TessalyPublishWndMsgList(&list), 0);
    const std::wstring name = Widen(std::string(TESSALY_SHARED_BLOCK_PREFIX ".") + std::to_string(::GetCurrentProcessId()));
    HANDLE mapping = ::OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
    ASSERT_NE(mapping, nullptr);
    const auto* block = static_cast<const unsigned char*>(::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 1024));
    ASSERT_NE(block, nullptr);
    std::uint64_t address = 0, pid = 0;
    for (int i = 7; i >= 0; --i) {
        address = (address << 8) | block[TESSALY_SHARED_LIST_OFFSET + i];
        pid = (pid << 8) | block[TESSALY_SHARED_PID_OFFSET + i];
    }
    EXPECT_EQ(address, reinterpret_cast<std::uintptr_t>(&list));
    EXPECT_EQ(pid, ::GetCurrentProcessId());
    ::UnmapViewOfFile(block);
    ::CloseHandle(mapping);
    ASSERT_EQ(TessalyPublishWndMsgList(nullptr), 0);
    EXPECT_EQ(::OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str()), nullptr) << "withdrawn, the block is gone";
    EXPECT_EQ(TessalyPostWindowMessage(0, TESSALY_WM_PRELOGIN_CLOSE, 0, 0), 0) << "no window, nothing posted";
}

}  // namespace
