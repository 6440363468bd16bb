// The identity upload and the reply file, through a fake transfer library that records its calls.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "CompanionSandbox.h"
#include "fakes/FakeCompanionState.h"
#include "platform/TextEncoding.h"
#include "prelogin/CGetPreloginInfo.h"
#include "support/CLogTrace.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

std::u16string BlockOf(const std::u16string& pcid, const std::u16string& oem, const std::u16string& chan)
{
    std::vector<std::u16string> list;
    CGetPreloginInfo::GetUpParam(list, pcid, oem, chan);
    const auto block = CGetPreloginInfo::MakeParamBuffer(list);
    return {block.begin(), block.end()};
}

TEST(ParamBlock, EveryEntryIsNulTerminatedAndOneMoreNulEndsTheBlock)
{
    EXPECT_EQ(BlockOf(u"", u"", u""), std::u16string(u"PCID\0\0OEMCode\0\0ChanCode\0\0\0", 26));
    EXPECT_EQ(BlockOf(u"p", u"o", u"c"), std::u16string(u"PCID\0p\0OEMCode\0o\0ChanCode\0c\0\0", 29));
}

class ReplyFileTest : public ::testing::Test {
protected:
    std::u16string Parse(const std::string& bytes) { return ParsePath(Write(bytes)); }
    std::u16string ParsePath(const fs::path& path)
    {
        std::u16string result = u"unchanged";
        EXPECT_TRUE(CGetPreloginInfo::ParseAdXml(FromUtf8(path.string()), result));
        return result;
    }
    fs::path Write(const std::string& bytes)
    {
        std::ofstream(sandbox.TempFolder() / "reply", std::ios::binary) << bytes;
        return sandbox.TempFolder() / "reply";
    }

    test::CompanionSandbox sandbox;
};

TEST_F(ReplyFileTest, HttpSchemeInAnyCaseIsAcceptedAndTheTextKeptWhole)
{
    EXPECT_EQ(Parse("HTTP://HOST/Path"), u"HTTP://HOST/Path");
    EXPECT_EQ(Parse("hTtP:x"), u"hTtP:x");
    EXPECT_EQ(Parse("http://host/a\r\n"), u"http://host/a\r\n");
    // The reply is narrow text of the system's edge encoding: UTF-8 on Linux, the ANSI code page on
    // Windows.
    EXPECT_EQ(Parse("http://h/\xe5\x9c\xb0"),
              test::system::kWindows ? platform::FromEdgeText("http://h/\xe5\x9c\xb0") : u"http://h/\u5730");
    EXPECT_EQ(Parse(std::string("http://h/a\0tail", 15)), u"http://h/a");
    for (const char* rejected : {"https://host/", " http://h", "http", "ftp://h", ""})
        EXPECT_EQ(Parse(rejected), u"") << rejected;
}

TEST_F(ReplyFileTest, LongOrSpecialFilesLeaveTheResultUnchanged)
{
    const std::string atLimit = "http://h/" + std::string(10238 - 9, 'a');
    EXPECT_EQ(Parse(atLimit), FromUtf8(atLimit));
    EXPECT_EQ(Parse(atLimit + "a"), u"unchanged");

    EXPECT_EQ(ParsePath(sandbox.TempFolder() / "missing"), u"unchanged");
    EXPECT_EQ(ParsePath(sandbox.TempFolder()), u"unchanged");
    std::ofstream(sandbox.Folder() / "elsewhere") << "http://not-mine/";
    std::error_code noLinks;
    fs::create_symlink(sandbox.Folder() / "elsewhere", sandbox.TempFolder() / "link", noLinks);
    if (!noLinks)
        EXPECT_EQ(ParsePath(sandbox.TempFolder() / "link"), u"unchanged");
    if (test::system::MakeFifo((sandbox.TempFolder() / "fifo").string()))
        EXPECT_EQ(ParsePath(sandbox.TempFolder() / "fifo"), u"unchanged");  // without blocking
}

class ExchangeTest : public ::testing::Test {
protected:
    void Install(const char* built = "FakeDunmore" TESSALY_LIBRARY_SUFFIX)
    {
        fake = reinterpret_cast<FakeDunmoreStateFn>(
            sandbox.Install(test::FakeLibrary(built), "Dunmore" TESSALY_LIBRARY_SUFFIX, "FakeDunmoreState"))();
        fake->result = 1;
        Reply("http://127.0.0.1:8470/welcome");
    }
    void Reply(const std::string& text)
    {
        fake->replyLength = static_cast<std::int32_t>(text.copy(fake->reply, sizeof fake->reply));
    }
    bool Exchange(std::u16string& result, const std::u16string& pcid = u"PC1")
    {
        return CGetPreloginInfo().GetAdInfo(u"http://127.0.0.1:1/x", pcid, u"", u"c", result);
    }

    test::CompanionSandbox sandbox;
    FakeDunmoreControl* fake = nullptr;
    std::u16string result = u"stale";
};

TEST_F(ExchangeTest, UploadGetsAddressBlockAndAPrivateEmptyReplyFile)
{
    Install();
    EXPECT_TRUE(Exchange(result));
    EXPECT_EQ(result, u"http://127.0.0.1:8470/welcome");
    EXPECT_EQ(fake->uploadCalls, 1);
    EXPECT_EQ(fake->downloadCalls, 0);
    EXPECT_EQ(std::u16string(fake->url), u"http://127.0.0.1:1/x");
    EXPECT_EQ(std::u16string(fake->params, static_cast<std::size_t>(fake->paramUnits)),
              std::u16string(u"PCID\0PC1\0OEMCode\0\0ChanCode\0c\0\0", 30));
    const fs::path replyPath = ToUtf8(fake->replyPath);
    EXPECT_EQ(replyPath.parent_path(), sandbox.TempFolder());
    EXPECT_EQ(replyPath.filename().string().substr(0, 3), "Qln");
    if (!test::system::kWindows)
        EXPECT_EQ(fake->replyFileMode, 0600);
    EXPECT_TRUE(sandbox.TempFolderEmpty());

    Reply(std::string(10239, 'h'));  // too long: success, result unchanged, file still removed
    EXPECT_TRUE(Exchange(result));
    EXPECT_EQ(result, u"http://127.0.0.1:8470/welcome");
    EXPECT_TRUE(sandbox.TempFolderEmpty());
}

TEST_F(ExchangeTest, MissingLibraryOrExportFailsBeforeUploading)
{
    EXPECT_FALSE(Exchange(result));
    Install("FakeDunmoreNoDownload" TESSALY_LIBRARY_SUFFIX);
    EXPECT_FALSE(Exchange(result));
    EXPECT_EQ(fake->uploadCalls, 0);
    EXPECT_EQ(result, u"stale");
    EXPECT_TRUE(sandbox.TempFolderEmpty());
}

TEST_F(ExchangeTest, FailuresKeepTheResultAndLeaveNoFileBehind)
{
    Install();
    fake->result = 0;
    EXPECT_FALSE(Exchange(result));  // upload failed after writing a reply
    EXPECT_EQ(fake->uploadCalls, 1);
    EXPECT_TRUE(sandbox.TempFolderEmpty());

    fake->result = 1;
    test::ScopedEnv noTemp(test::system::kTempFolderVariable, (sandbox.Folder() / "missing").string());
    EXPECT_FALSE(Exchange(result));  // no temporary file can be made
    EXPECT_EQ(fake->uploadCalls, 1);
    EXPECT_EQ(result, u"stale");
}

TEST_F(ExchangeTest, TraceShowsTheStepsAndDumpsTheWholeBlock)
{
    Install();
    test::ScopedEnv registry("TESSALY_REGISTRY", (sandbox.Folder() / "none.reg").string());
    const fs::path log = sandbox.Folder() / "UILogTrace.txt";
    const std::u16string savedLog = g_LogTrace.FileName();
    g_LogTrace.Init(FromUtf8(log.string()), -1, 0xA00000);
    g_LogTrace.SetEnabledForTesting(true);
    CGetPreloginInfo().GetAdInfo(u"http://x/", u"p", u"o", u"c", result);
    g_LogTrace.SetEnabledForTesting(false);
    g_LogTrace.Init(savedLog, -1, 0xA00000);

    const std::string text = test::ReadFile(log) + "|dump|" + test::ReadFile(log.string() + ".Dat");
    const std::u16string block = BlockOf(u"p", u"o", u"c");
    const std::string steps[] = {"Enter Fun CGetPreloginInfo::GetAdInfo", "--CGetAdInfo::PCID is p",
                                 "--CGetAdInfo::OEMCode is o", "Exit  Fun CGetPreloginInfo::GetUpParam",
                                 "--Begin  call m_UpLoad, Path is " + ToUtf8(fake->replyPath),
                                 "--Upload Param is\xef\xbc\x8cID:", "Buffer Len is 0X3A", "--Finish call m_UpLoad",
                                 "Exit  Fun CGetPreloginInfo::GetAdInfo", "|dump|",
                                 "::::" + std::string(reinterpret_cast<const char*>(block.data()), 58) + "====="};
    std::size_t at = 0;
    for (const std::string& step : steps) {
        at = text.find(step, at);
        ASSERT_NE(at, std::string::npos) << "missing or out of order: " << step << "\n" << text;
    }
}

}  // namespace
}  // namespace tessaly
