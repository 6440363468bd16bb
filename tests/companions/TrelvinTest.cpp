#include "TestSystem.h"
#include "common/LoadedLibrary.h"
#include "common/ScopedEnv.h"
#include "common/ServiceSuite.h"

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

    LoadedLibrary m_library{OutLibrary("Trelvin")};
    RequestFn m_request = nullptr;
};

TEST_F(TrelvinTest, RepliesComeBackWithTheirTrueLengthAndNeverOverrun)
{
    // Values formatted into the URL unescaped still arrive intact (the narrow URL in the text the
    // library hands over: UTF-8 on Linux, the ANSI code page on Windows); at most 127 bytes are
    // copied, the last byte of the buffer stays 0, and the length is the reply's own.
    const std::pair<std::string, std::string> cases[] = {
        {"/login?user=alice&pwd=wonderland&ip=10.0.0.1", "0"},
        {"/login?user=alice&pwd=nope&ip=10.0.0.1", "-102"},
        {system::EdgeText(u"/reply?text=a b\u00E4"), "a b\xC3\xA4"},
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
