// The login from the host's records to the result, against fake agent and cipher libraries.
#include <gtest/gtest.h>

#include <optional>

#include "login/AdapterSource.h"
#include "login/CVomoLogin.h"
#include "login/LoginSandbox.h"
#include "support/TraceTestSupport.h"
#include "support/WideText.h"

using namespace login_test;
using tessaly::platform::AdapterInfo;

namespace {

const std::string kPattern = "%s?user=%s&pwd=%s&ip=%s";
const std::string kService = "http://127.0.0.1:8470/login";

class VomoLoginTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tessaly::SetAdapterSourceForTesting(tessaly::AdapterSource{
            [] { return std::vector<AdapterInfo>{{"enp1s0", 2, {"192.168.7.21"}}}; },
            [](const std::string& name) { return name == "enp1s0"; }});
        box.InstallAgent();
        box.InstallCipher();
        box.WriteServiceUrl(kService);
        WriteItems({});
    }
    void TearDown() override { tessaly::SetAdapterSourceForTesting(std::nullopt); }

    // The standard messages plus `extra` (which may override them).
    void WriteItems(std::map<std::string, std::string> extra)
    {
        std::map<std::string, std::string> items = {
            {"LoginPatern", kPattern},          {"ErrorUserNotExist", "no such user"},
            {"ErrorPwd", "wrong password"},     {"ErrorAmbiguity", "ambiguous"},
            {"ErrorUserNotInUse", "not in use"}, {"ErrorUserNotActive", "not active"},
            {"ErrorMsg", "Error %d"}};
        for (auto& [k, v] : extra)
            items[k] = v;
        box.WriteLoginItems(items);
    }

    std::string LastRequestUrl() const
    {
        const auto lines = box.Records("request ");
        return lines.empty() ? "<none>" : lines.back().substr(lines.back().find("url=") + 4);
    }

    LoginSandbox box;
};

TEST_F(VomoLoginTest, ReplyCodesSelectResultAndMessage)
{
    struct Case { const char* reply; int result; int code; std::u16string message; };
    const Case cases[] = {
        {"0", 1, 0, u"kept"},          {"-101", 0, -101, u"no such user"}, {"-102", 0, -102, u"wrong password"},
        {"-103", 0, -103, u"ambiguous"}, {"-104", 0, -104, u"not in use"},  {"-105", 0, -105, u"not active"},
        {"-7", 0, -7, u"Error -7"},    {" 12abc", 0, 12, u"Error 12"},     {" -0", 1, 0, u"kept"},
        // No code at all is no answer, never an acceptance.
        {"abc", 0, -1, u"Error -1"},   {"", 0, -1, u"Error -1"},          {"<html>0</html>", 0, -1, u"Error -1"},
        {" +", 0, -1, u"Error -1"},
    };
    for (const Case& c : cases) {
        ScopedEnv reply("FAKE_TRELVIN_REPLY", c.reply);
        ScopedEnv length("FAKE_TRELVIN_LENGTH", std::to_string(std::string(c.reply).size()));
        const CallOutcome out = CallPreLogin(u"alice", HexOf("secret"), u"kept");
        EXPECT_EQ(out.result, c.result) << c.reply;
        EXPECT_EQ(out.code, c.code) << c.reply;
        EXPECT_EQ(out.message, c.message) << c.reply;
        EXPECT_TRUE(out.passwordNull) << "the password member must be emptied";
    }
}

TEST_F(VomoLoginTest, MissingMessageItemsGiveEmptyMessagesAndPwdItemIsHandedBack)
{
    box.WriteLoginItems({{"LoginPatern", kPattern}, {"Pwd", "from-config"}});
    ScopedEnv reply("FAKE_TRELVIN_REPLY", "-103");
    CallOutcome out = CallPreLogin(u"alice", HexOf("secret"), u"old message");
    EXPECT_EQ(out.code, -103);
    EXPECT_EQ(out.message, u"");
    EXPECT_EQ(out.password, u"from-config");

    ScopedEnv other("FAKE_TRELVIN_REPLY", "-9");
    out = CallPreLogin(u"alice", HexOf("secret"), u"old message");
    EXPECT_EQ(out.message, u"");
    EXPECT_EQ(out.password, u"from-config");
}

TEST_F(VomoLoginTest, RequestCarriesEncodedValuesInPatternOrder)
{
    CallPreLogin(u"a&b=c \u00e9", HexOf("p@ss w"));
    EXPECT_EQ(LastRequestUrl(), kService + "?user=a%26b%3Dc%20%C3%A9&pwd=p%40ss%20w&ip=192.168.7.21");
    EXPECT_EQ(box.Records("request ").back().rfind("request length=128 ", 0), 0u);

    CallPreLogin(u"bob.o-k_~", HexOf("pw"));
    EXPECT_EQ(LastRequestUrl(), kService + "?user=bob.o-k_~&pwd=pw&ip=192.168.7.21");
}

TEST_F(VomoLoginTest, ConfiguredPatternsNeverCrashTheHost)
{
    const std::pair<std::string, std::string> cases[] = {
        {"%s/check?u=%s", kService + "/check?u=alice"},
        {"%s|%s|%s|%s|%s|%d|%n", kService + "|alice|pw|192.168.7.21|%s|%d|%n"},
        {"%d%%", "%d%"},
    };
    for (const auto& [pattern, expected] : cases) {
        WriteItems({{"LoginPatern", pattern}});
        CallPreLogin(u"alice", HexOf("pw"));
        EXPECT_EQ(LastRequestUrl(), expected) << pattern;
    }
    WriteItems({{"ErrorMsg", "%s%n%d%d"}});
    ScopedEnv reply("FAKE_TRELVIN_REPLY", "-7");
    EXPECT_EQ(CallPreLogin(u"alice", HexOf("pw")).message, u"%s%n-7%d");
}

TEST_F(VomoLoginTest, AgentFailuresReadAsMinusOne)
{
    struct Case { std::optional<std::string> result, length; };
    const Case cases[] = {{"5", std::nullopt}, {std::nullopt, "128"}, {std::nullopt, "-1"}};
    for (const Case& c : cases) {
        std::optional<ScopedEnv> result, length;
        if (c.result)
            result.emplace("FAKE_TRELVIN_RESULT", *c.result);
        if (c.length)
            length.emplace("FAKE_TRELVIN_LENGTH", *c.length);
        const CallOutcome out = CallPreLogin(u"alice", HexOf("pw"), u"kept");
        EXPECT_EQ(out.result, 0);
        EXPECT_EQ(out.code, -1);
        EXPECT_EQ(out.message, u"Error -1");
    }
    ScopedEnv longest("FAKE_TRELVIN_LENGTH", "127");
    EXPECT_EQ(CallPreLogin(u"alice", HexOf("pw")).code, 0) << "127 bytes still fit the reply buffer";
}

TEST_F(VomoLoginTest, MissingAgentOrExportFailsBeforeTheConfigurationIsRead)
{
    for (const char* variant : {"", "trelvin-noexport"}) {
        if (*variant)
            box.InstallAgent(variant);
        else
            box.RemoveAgent();
        box.ClearRecords();
        tessaly::CVomoLogin login;
        EXPECT_EQ(login.Init(u"", u""), 0);
        EXPECT_TRUE(login.WindowInfo().empty());
        const CallOutcome out = CallPreLogin(u"alice", HexOf("pw"), u"kept");
        EXPECT_EQ(out.result, 0);
        EXPECT_EQ(out.code, -1);
        EXPECT_EQ(out.message, u"") << "ErrorMsg was never read";
        EXPECT_TRUE(out.passwordNull);
        EXPECT_TRUE(box.Records("request").empty());
    }
}

TEST_F(VomoLoginTest, MissingCipherOrConfigurationFilesGiveEmptyValues)
{
    std::filesystem::remove(box.hostDir / "Cyvelle" TESSALY_LIBRARY_SUFFIX);
    std::filesystem::remove(box.configDir / "orvane.cfg");
    CallPreLogin(u"alice", HexOf("pw"));
    EXPECT_EQ(LastRequestUrl(), "?user=alice&pwd=&ip=192.168.7.21");

    std::filesystem::remove(box.configDir / "VomoLoginCfg.xml");
    ScopedEnv reply("FAKE_TRELVIN_REPLY", "-102");
    const CallOutcome out = CallPreLogin(u"alice", HexOf("pw"), u"kept");
    EXPECT_EQ(LastRequestUrl(), "");
    EXPECT_EQ(out.code, -102);
    EXPECT_EQ(out.message, u"");
}

TEST_F(VomoLoginTest, SuccessiveCallsLoadFreshLibrariesAndConfiguration)
{
    ScopedEnv reply("FAKE_TRELVIN_REPLY", "-102");
    EXPECT_EQ(CallPreLogin(u"alice", HexOf("pw")).message, u"wrong password");
    WriteItems({{"ErrorPwd", "changed text"}});
    EXPECT_EQ(CallPreLogin(u"alice", HexOf("pw")).message, u"changed text");

    std::vector<std::string> lifecycle;
    for (const std::string& line : box.Records())
        if (line.find("load") != std::string::npos || line.rfind("request", 0) == 0)
            lifecycle.push_back(line.substr(0, line.find(' ', 8)));
    const std::vector<std::string> once = {"trelvin load", "cyvelle load", "cyvelle unload", "request length=128",
                                           "trelvin unload"};
    std::vector<std::string> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(lifecycle, twice);
}

TEST(MaskPasswordInUrl, HidesThePasswordValueOnly)
{
    using tessaly::CVomoLogin;
    EXPECT_EQ(CVomoLogin::MaskPasswordInUrl(u"http://h/l?user=a&password=secret&ip=1", u""),
              u"http://h/l?user=a&password=******&ip=1");
    EXPECT_EQ(CVomoLogin::MaskPasswordInUrl(u"http://h/l?user=a&password=abc", u""), u"http://h/l?user=a&password=***");
    EXPECT_EQ(CVomoLogin::MaskPasswordInUrl(u"http://h/l?PassWord=abc&x=PassWord=abc", u""),
              u"http://h/l?password=***&x=password=***");
    EXPECT_EQ(CVomoLogin::MaskPasswordInUrl(u"http://h/l?user=a", u""), u"http://h/l?user=a");
    // The shipped pattern names the value "pwd": the known value is hidden under any name.
    EXPECT_EQ(CVomoLogin::MaskPasswordInUrl(u"u?user=pw1x&pwd=pw1&ip=1", u"pw1"), u"u?user=pw1x&pwd=***&ip=1");
    EXPECT_EQ(CVomoLogin::MaskPasswordInUrl(u"u?pwd=a%20b", u"a%20b"), u"u?pwd=*****");
}

class TracedLoginTest : public VomoLoginTest {
protected:
    void SetUp() override
    {
        VomoLoginTest::SetUp();
        registry.emplace("TESSALY_REGISTRY", (box.root / "none.reg").string());
        tessaly::g_LogTrace.Init(tessaly::FromUtf8((box.root / "trace.txt").string()), -1, 0xA00000);
        tessaly::g_LogTrace.SetEnabledForTesting(true);
    }
    void TearDown() override
    {
        tessaly::g_LogTrace.SetEnabledForTesting(false);
        VomoLoginTest::TearDown();
    }
    std::vector<std::string> TraceLines() const { return tessaly::test::Lines((box.root / "trace.txt").string()); }
    std::optional<ScopedEnv> registry;
};

TEST_F(TracedLoginTest, OneCallWritesTheStepsInOrderWithThePasswordMasked)
{
    WriteItems({{"LoginPatern", "%s?user=%s&password=%s&ip=%s"}});
    ScopedEnv reply("FAKE_TRELVIN_REPLY", "-102");
    CallPreLogin(u"alice", HexOf("topsecret"));
    const std::string lib = (box.libDir / "Trelvin" TESSALY_LIBRARY_SUFFIX).string();
    const std::string cipher = (box.hostDir / "Cyvelle" TESSALY_LIBRARY_SUFFIX).string();
    const std::vector<std::string> expected = {
        "Enter Fun CVomoLogin::Init",
        "Begin  Call LoadLibrary in ClassSafeGetProcess, Dll Name is " + lib,
        "Finish Call LoadLibrary in ClassSafeGetProcess, Load Add is 0X",
        "Exit  Fun CVomoLogin::Init",
        "Enter Fun CVomoLogin::LoginService",
        "Begin  Call LoadLibrary in ClassSafeGetProcess, Dll Name is " + cipher,
        "Finish Call LoadLibrary in ClassSafeGetProcess, Load Add is 0X",
        "Begin  Call FreeLibrary in ClassSafeGetProcess, Add is 0X",
        "Finish Call FreeLibrary in ClassSafeGetProcess",
        "Enter Fun QLRequestNet, Url is " + kService + "?user=alice&password=*********&ip=192.168.7.21",
        "Exit  Fun CVomoLogin::QLRequestNet, Ret is -102",
        "Exit  Fun CVomoLogin::LoginService, Ret is 0",
        "Begin  Call FreeLibrary in ClassSafeGetProcess, Add is 0X",
        "Finish Call FreeLibrary in ClassSafeGetProcess",
    };
    const std::vector<std::string> lines = TraceLines();
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_NE(lines[i].find(expected[i]), std::string::npos) << lines[i] << "\n expected: " << expected[i];
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("topsecret"), std::string::npos) << line;
}

TEST_F(TracedLoginTest, FailureExitsAreNumbered)
{
    box.RemoveAgent();
    CallPreLogin(u"alice", HexOf("pw"));
    box.InstallAgent();
    {
        ScopedEnv result("FAKE_TRELVIN_RESULT", "1");
        CallPreLogin(u"alice", HexOf("pw"));
    }
    ScopedEnv length("FAKE_TRELVIN_LENGTH", "200");
    CallPreLogin(u"alice", HexOf("pw"));
    std::vector<std::string> exits;
    for (const std::string& line : TraceLines()) {
        const auto at = line.find("Exit  Fun CVomoLogin::");
        if (at != std::string::npos)
            exits.push_back(line.substr(at + 22));
    }
    const std::vector<std::string> expected = {
        "QLRequestNet1", "LoginService, Ret is 0",                                // no agent: Init has no exit
        "Init",          "QLRequestNet2", "LoginService, Ret is 0",
        "Init",          "QLRequestNet3", "LoginService, Ret is 0"};
    EXPECT_EQ(exits, expected);
}

}  // namespace
