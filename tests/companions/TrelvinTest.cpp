#include "common/CommandRun.h"
#include "common/LoadedLibrary.h"
#include "common/ScopedEnv.h"
#include "common/StandInService.h"

#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tessaly::test {
namespace {

using RequestFn = int (*)(const char*, char*, std::uint32_t*);

class TrelvinTest : public ServiceSuite {
protected:
    void SetUp() override
    {
        ServiceSuite::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(m_library.ok()) << m_library.error();
        m_request = m_library.Get<RequestFn>("requestDataFromUrl");
        ASSERT_NE(m_request, nullptr);
    }

    // Calls the agent the way the login does: a buffer of `size` bytes plus a fenced tail that must
    // never be touched.
    struct Call {
        int rc;
        std::uint32_t length;
        std::string text;
        bool fenceIntact;
    };
    Call Request(const std::string& url, std::uint32_t size = 128)
    {
        std::vector<char> buffer(size + 64, '\x5A');
        std::memset(buffer.data(), 0, size);
        std::uint32_t length = size;
        const int rc = m_request(url.c_str(), buffer.data(), &length);
        bool fence = true;
        for (std::size_t i = size; i < buffer.size(); ++i)
            fence &= buffer[i] == '\x5A';
        return {rc, length, std::string(buffer.data(), strnlen(buffer.data(), size)), fence};
    }

    LoadedLibrary m_library{OutPath("Trelvin.so")};
    RequestFn m_request = nullptr;
};

TEST_F(TrelvinTest, RepliesComeBackWithTheirTrueLengthAndNeverOverrun)
{
    // Values formatted into the URL unescaped still arrive intact; at most 127 bytes are copied, the
    // last byte of the buffer stays 0, and the length is the reply's own.
    const std::pair<std::string, std::string> cases[] = {
        {"/login?user=alice&pwd=wonderland&ip=10.0.0.1", "0"},
        {"/login?user=alice&pwd=nope&ip=10.0.0.1", "-102"},
        {"/reply?text=a b\xC3\xA4", "a b\xC3\xA4"},
        {"/reply?text=", ""},
        {"/big?bytes=127", std::string(127, '1')},
        {"/big?bytes=128", std::string(128, '1')},
        {"/big?bytes=129", std::string(129, '1')},
        {"/big?bytes=100000", std::string(100000, '1')},
    };
    for (const auto& [path, reply] : cases) {
        const Call call = Request(Url(path));
        EXPECT_EQ(call.rc, 0) << path;
        EXPECT_EQ(call.length, reply.size()) << path;
        EXPECT_EQ(call.text, reply.substr(0, 127)) << path;
        EXPECT_TRUE(call.fenceIntact) << path;
    }

    // A caller with a smaller buffer gets what fits, a terminator, and the true length.
    const Call tiny = Request(Url("/login?user=nobody&pwd=x"), 4);
    EXPECT_EQ(tiny.rc, 0);
    EXPECT_EQ(tiny.length, 4u);
    EXPECT_EQ(tiny.text, "-10");
    EXPECT_TRUE(tiny.fenceIntact);
}

TEST_F(TrelvinTest, TransportAndHttpFailuresAreErrors)
{
    for (const char* path : {"/status/500", "/status/404", "/moved"}) {
        const Call failed = Request(Url(path));
        EXPECT_NE(failed.rc, 0) << path;
        EXPECT_EQ(failed.text, "") << "an error body is not handed out as a reply: " << path;
    }
    const Call refused = Request("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/login");
    EXPECT_NE(refused.rc, 0);
    EXPECT_NE(Request("not a url at all").rc, 0);
    EXPECT_NE(Request("file:///etc/passwd").rc, 0) << "only HTTP is spoken";
}

TEST_F(TrelvinTest, ASlowServerTimesOut)
{
    ScopedEnv timeout("TESSALY_COMPANION_TIMEOUT_MS", "300");
    const auto start = std::chrono::steady_clock::now();
    const Call slow = Request(Url("/slow?ms=2500"));
    EXPECT_NE(slow.rc, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
}

// The network companions are loaded and freed on every call of their host. They bind libcurl at run
// time rather than linking it (a link dependency would make every load walk libcurl's whole tree of
// libraries), and keep it resident once bound, so the agent's next load finds it ready.
class TrelvinLoadsTest : public ServiceSuite {};

TEST_F(TrelvinLoadsTest, LibcurlIsBoundAtRunTimeAndStaysResidentAcrossLoads)
{
    for (const char* companion : {"Trelvin.so", "Dunmore.so"}) {
        const CommandRun headers = RunningCommand("readelf -d '" + OutPath(companion) + "'").Await();
        ASSERT_EQ(headers.exitCode, 0) << headers.output;
        EXPECT_EQ(headers.output.find("libcurl"), std::string::npos) << companion << " links libcurl:\n" << headers.output;
    }
    for (int load = 0; load < 3; ++load) {
        LoadedLibrary agent(OutPath("Trelvin.so"));
        ASSERT_TRUE(agent.ok()) << agent.error();
        char reply[128] = {};
        std::uint32_t length = sizeof reply;
        EXPECT_EQ(agent.Get<RequestFn>("requestDataFromUrl")(Url("/reply?text=again").c_str(), reply, &length), 0);
        EXPECT_STREQ(reply, "again");
    }
    // No companion is loaded now, and this program does not link libcurl itself.
    void* curl = dlopen(COMPANION_CURL_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(curl, nullptr) << "libcurl went with the agent";
    if (curl)
        dlclose(curl);
}

TEST_F(TrelvinTest, BadArgumentsAreRefused)
{
    char buffer[128] = {};
    std::uint32_t length = sizeof buffer;
    EXPECT_NE(m_request(nullptr, buffer, &length), 0);
    EXPECT_NE(m_request(Url("/reply?text=1").c_str(), nullptr, &length), 0);
    EXPECT_NE(m_request(Url("/reply?text=1").c_str(), buffer, nullptr), 0);
    length = 0;
    EXPECT_NE(m_request(Url("/reply?text=1").c_str(), buffer, &length), 0);
}

}  // namespace
}  // namespace tessaly::test
