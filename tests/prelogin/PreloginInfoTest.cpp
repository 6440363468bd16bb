// The identity upload and the reply file, through a fake transfer library that records its calls.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "CompanionSandbox.h"
#include "fakes/FakeCompanionState.h"
#include "prelogin/CGetPreloginInfo.h"
#include "support/CLogTrace.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using test::CompanionSandbox;
using test::FakeLibrary;

std::u16string Units(std::u16string_view text)
{
    return std::u16string(text);
}

std::u16string BlockOf(const std::u16string& pcid, const std::u16string& oem, const std::u16string& chan)
{
    std::vector<std::u16string> list;
    CGetPreloginInfo::GetUpParam(list, pcid, oem, chan);
    const auto block = CGetPreloginInfo::MakeParamBuffer(list);
    return std::u16string(block.begin(), block.end());
}

TEST(ParamBlock, EmptyValuesLeaveTwoNulsInARow)
{
    const std::u16string block = BlockOf(u"", u"", u"");
    EXPECT_EQ(block.size(), 26u);
    EXPECT_EQ(block, Units(std::u16string_view(u"PCID\0\0OEMCode\0\0ChanCode\0\0\0", 26)));
}

TEST(ParamBlock, OneCharacterValues)
{
    const std::u16string block = BlockOf(u"p", u"o", u"c");
    EXPECT_EQ(block.size(), 29u);
    EXPECT_EQ(block, Units(std::u16string_view(u"PCID\0p\0OEMCode\0o\0ChanCode\0c\0\0", 29)));
}

TEST(ParamBlock, EmptyListIsASingleNul)
{
    EXPECT_EQ(CGetPreloginInfo::MakeParamBuffer({}), std::vector<char16_t>{u'\0'});
}

class ReplyFileTest : public ::testing::Test {
protected:
    std::u16string Write(const std::string& bytes)
    {
        const fs::path path = sandbox.TempFolder() / "reply";
        std::ofstream(path, std::ios::binary) << bytes;
        return FromUtf8(path.string());
    }

    std::u16string Parse(const std::u16string& path, std::u16string result = u"unchanged")
    {
        EXPECT_TRUE(CGetPreloginInfo::ParseAdXml(path, result));
        return result;
    }

    CompanionSandbox sandbox;
};

TEST_F(ReplyFileTest, SchemeIsTestedInAnyLetterCaseAndTheTextIsTakenWhole)
{
    EXPECT_EQ(Parse(Write("http://127.0.0.1/x")), u"http://127.0.0.1/x");
    EXPECT_EQ(Parse(Write("HTTP://HOST/Path")), u"HTTP://HOST/Path");
    EXPECT_EQ(Parse(Write("hTtP:rest")), u"hTtP:rest");
    EXPECT_EQ(Parse(Write("http://host/a\r\n")), u"http://host/a\r\n");
    EXPECT_EQ(Parse(Write("http://h/\xe5\x9c\xb0")), u"http://h/\u5730");
    EXPECT_EQ(Parse(Write(std::string("http://h/a\0tail", 15))), u"http://h/a");
}

TEST_F(ReplyFileTest, AnythingElseEmptiesTheResult)
{
    EXPECT_EQ(Parse(Write("https://host/")), u"");
    EXPECT_EQ(Parse(Write(" http://host/")), u"");
    EXPECT_EQ(Parse(Write("http")), u"");
    EXPECT_EQ(Parse(Write("ftp://host")), u"");
    EXPECT_EQ(Parse(Write("")), u"");
    EXPECT_EQ(Parse(Write(std::string("\0http://h", 9))), u"");
}

TEST_F(ReplyFileTest, SizeLimitIsTenThousandTwoHundredThirtyEightBytes)
{
    const std::string head = "http://h/";
    std::string atLimit = head + std::string(10238 - head.size(), 'a');
    ASSERT_EQ(atLimit.size(), 10238u);
    EXPECT_EQ(Parse(Write(atLimit)), FromUtf8(atLimit));
    EXPECT_EQ(Parse(Write(atLimit + "a")), u"unchanged");
}

TEST_F(ReplyFileTest, UnreadableOrSpecialFilesLeaveTheResultUnchanged)
{
    EXPECT_EQ(Parse(FromUtf8((sandbox.TempFolder() / "missing").string())), u"unchanged");
    EXPECT_EQ(Parse(FromUtf8(sandbox.TempFolder().string())), u"unchanged");

    const fs::path target = sandbox.Folder() / "elsewhere";
    std::ofstream(target) << "http://not-mine/";
    const fs::path link = sandbox.TempFolder() / "link";
    fs::create_symlink(target, link);
    EXPECT_EQ(Parse(FromUtf8(link.string())), u"unchanged");

    const fs::path fifo = sandbox.TempFolder() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Parse(FromUtf8(fifo.string())), u"unchanged");  // and does not block
}

class ExchangeTest : public ::testing::Test {
protected:
    void InstallDunmore(const char* built = "FakeDunmore.so")
    {
        sandbox.Install(FakeLibrary(built), "Dunmore.so");
        fake = reinterpret_cast<FakeDunmoreStateFn>(sandbox.Control("Dunmore.so", "FakeDunmoreState"))();
        fake->result = 1;
    }

    void SetReply(const std::string& reply)
    {
        fake->writeReply = 1;
        fake->replyLength = static_cast<std::int32_t>(reply.size());
        reply.copy(fake->reply, reply.size());
    }

    bool Exchange(std::u16string& result)
    {
        CGetPreloginInfo info;
        return info.GetAdInfo(u"http://127.0.0.1:1/prelogin/exchange", u"PC1", u"", u"C", result);
    }

    CompanionSandbox sandbox;
    FakeDunmoreControl* fake = nullptr;
};

TEST_F(ExchangeTest, AcceptedReplyIsReturnedAndTheReplyFileRemoved)
{
    InstallDunmore();
    SetReply("http://127.0.0.1:8470/welcome");
    std::u16string result;
    EXPECT_TRUE(Exchange(result));
    EXPECT_EQ(result, u"http://127.0.0.1:8470/welcome");

    ASSERT_EQ(fake->uploadCalls, 1);
    EXPECT_EQ(fake->downloadCalls, 0);
    EXPECT_EQ(std::u16string(fake->url), u"http://127.0.0.1:1/prelogin/exchange");
    EXPECT_EQ(std::u16string(fake->params, static_cast<std::size_t>(fake->paramUnits)),
              Units(std::u16string_view(u"PCID\0PC1\0OEMCode\0\0ChanCode\0C\0\0", 30)));

    // The reply file existed, empty and private, in the temporary folder during the call.
    const fs::path replyPath = ToUtf8(fake->replyPath);
    EXPECT_EQ(replyPath.parent_path(), sandbox.TempFolder());
    EXPECT_EQ(replyPath.filename().string().rfind("Qln", 0), 0u);
    EXPECT_EQ(fake->replyFileMode, 0600);
    EXPECT_EQ(fake->replyFileSize, 0);
    EXPECT_TRUE(sandbox.TempLeftovers().empty());
}

TEST_F(ExchangeTest, RejectedOrOversizedRepliesStillSucceedAndLeaveNothingBehind)
{
    InstallDunmore();
    SetReply("https://127.0.0.1/");
    std::u16string result = u"stale";
    EXPECT_TRUE(Exchange(result));
    EXPECT_EQ(result, u"");

    SetReply(std::string(10239, 'h'));
    result = u"stale";
    EXPECT_TRUE(Exchange(result));
    EXPECT_EQ(result, u"stale");
    EXPECT_TRUE(sandbox.TempLeftovers().empty());
}

TEST_F(ExchangeTest, FailedUploadKeepsTheResultAndRemovesTheReplyFile)
{
    InstallDunmore();
    SetReply("http://written-anyway/");
    fake->result = 0;
    std::u16string result = u"stale";
    EXPECT_FALSE(Exchange(result));
    EXPECT_EQ(result, u"stale");
    EXPECT_EQ(fake->uploadCalls, 1);
    EXPECT_TRUE(sandbox.TempLeftovers().empty());
}

TEST_F(ExchangeTest, ReplyFileSwappedForALinkIsNotFollowedAndOnlyTheLinkIsRemoved)
{
    InstallDunmore();
    const fs::path secret = sandbox.Folder() / "secret";
    std::ofstream(secret) << "http://from-a-link/";
    secret.string().copy(fake->symlinkTarget, secret.string().size());
    std::u16string result = u"stale";
    EXPECT_TRUE(Exchange(result));
    EXPECT_EQ(result, u"stale");
    EXPECT_TRUE(fs::exists(secret));
    EXPECT_TRUE(sandbox.TempLeftovers().empty());
}

TEST_F(ExchangeTest, MissingLibraryOrExportFailsWithoutUploading)
{
    std::u16string result = u"stale";
    EXPECT_FALSE(Exchange(result));  // no Dunmore.so at all
    EXPECT_EQ(result, u"stale");

    InstallDunmore("FakeDunmoreNoDownload.so");
    SetReply("http://never/");
    EXPECT_FALSE(Exchange(result));
    EXPECT_EQ(result, u"stale");
    EXPECT_EQ(fake->uploadCalls, 0);
    EXPECT_TRUE(sandbox.TempLeftovers().empty());
}

TEST_F(ExchangeTest, NoTemporaryFileMeansNoUpload)
{
    InstallDunmore();
    SetReply("http://never/");
    ::setenv("TMPDIR", (sandbox.Folder() / "no-such-folder").c_str(), 1);
    std::u16string result = u"stale";
    EXPECT_FALSE(Exchange(result));
    EXPECT_EQ(result, u"stale");
    EXPECT_EQ(fake->uploadCalls, 0);
}

TEST_F(ExchangeTest, StopRequestedBeforeTheUploadSkipsIt)
{
    InstallDunmore();
    std::atomic<bool> stop{true};
    CGetPreloginInfo info;
    info.SetStopFlag(&stop);
    std::u16string result = u"stale";
    EXPECT_FALSE(info.GetAdInfo(u"http://x/", u"", u"", u"", result));
    EXPECT_EQ(fake->uploadCalls, 0);
    EXPECT_EQ(result, u"stale");
}

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_F(ExchangeTest, TraceShowsTheStepsAndDumpsTheWholeBlock)
{
    InstallDunmore();
    SetReply("http://traced/");
    ::setenv("TESSALY_REGISTRY", (sandbox.Folder() / "no-registry.reg").c_str(), 1);
    const fs::path log = sandbox.Folder() / "UILogTrace.txt";
    const std::u16string savedLog = g_LogTrace.FileName();
    const bool savedEnabled = g_LogTrace.Enabled();
    g_LogTrace.Init(FromUtf8(log.string()), -1, 0xA00000);
    g_LogTrace.SetEnabledForTesting(true);

    CGetPreloginInfo info;
    std::u16string result;
    info.GetAdInfo(u"http://x/", u"p", u"o", u"c", result);

    g_LogTrace.SetEnabledForTesting(savedEnabled);
    g_LogTrace.Init(savedLog, -1, 0xA00000);
    const std::string text = ReadAll(log);
    const std::vector<std::string> expectedInOrder = {"Enter Fun CGetPreloginInfo::GetAdInfo",
                                     "Enter Fun CGetPreloginInfo::GetUpParam",
                                     "--CGetAdInfo::PCID is p",
                                     "--CGetAdInfo::OEMCode is o",
                                     "Exit  Fun CGetPreloginInfo::GetUpParam",
                                     "--Begin  call m_UpLoad, Path is " + ToUtf8(fake->replyPath),
                                     "--Upload Param is\xef\xbc\x8cID:",
                                     "Buffer Len is 0X3A",
                                     "--Finish call m_UpLoad",
                                     "Exit  Fun CGetPreloginInfo::GetAdInfo"};
    std::size_t at = 0;
    for (const std::string& expected : expectedInOrder) {
        const auto found = text.find(expected, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << expected << "\n" << text;
        at = found + expected.size();
    }
    const std::u16string block = BlockOf(u"p", u"o", u"c");
    const std::string blockBytes(reinterpret_cast<const char*>(block.data()), block.size() * 2);
    const std::string dump = ReadAll(log.string() + ".Dat");
    EXPECT_NE(dump.find("::::" + blockBytes + "================\r\n"), std::string::npos);
}

}  // namespace
}  // namespace tessaly
