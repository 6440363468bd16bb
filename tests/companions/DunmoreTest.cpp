#include <fstream>

#include "TestSystem.h"
#include "common/LoadedLibrary.h"
#include "common/ScopedEnv.h"
#include "common/ServiceSuite.h"
#include "common/TempDir.h"

namespace tessaly::test {
namespace {

using UploadFn = int (*)(const char16_t*, const char16_t*, const char16_t*);
using DownloadFn = int (*)(const char16_t*, const char16_t*);
namespace fs = std::filesystem;

// A parameter block as the exchange builds it: each string NUL-terminated, then one more NUL.
std::u16string Block(std::initializer_list<std::u16string> strings)
{
    std::u16string block;
    for (const auto& s : strings) {
        block += s;
        block += u'\0';
    }
    block += u'\0';
    return block;
}

class DunmoreTest : public ServiceSuite {
protected:
    void SetUp() override
    {
        ServiceSuite::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(m_library.ok()) << m_library.error();
        m_upload = m_library.Get<UploadFn>("HttpUpload");
        m_download = m_library.Get<DownloadFn>("HttpDownload");
        ASSERT_NE(m_upload, nullptr);
        ASSERT_NE(m_download, nullptr);
        m_reply = m_dir.path() / "Qln1234.tmp";
        std::ofstream(m_reply).flush();
    }

    int Upload(const std::string& url, const std::u16string& block, const fs::path& reply)
    {
        return m_upload(W(url).c_str(), block.c_str(), reply.u16string().c_str());
    }

    LoadedLibrary m_library{OutLibrary("Dunmore")};
    UploadFn m_upload = nullptr;
    DownloadFn m_download = nullptr;
    TempDir m_dir;
    fs::path m_reply;
};

TEST_F(DunmoreTest, UploadSendsTheBlockAsAFormAndStoresTheReply)
{
    const auto block = Block({u"PCID", u"AB 12&x=y", u"OEMCode", u"", u"ChanCode", u"Z\u00FCrich+%"});
    ASSERT_EQ(Upload(Url("/echo"), block, m_reply), 1);
    EXPECT_EQ(ReadFile(m_reply), "PCID=AB 12&x=y\nOEMCode=\nChanCode=Z\xC3\xBCrich+%\n")
        << "pairs arrive in order, empty values included, every character intact";

    ASSERT_EQ(Upload(Url("/prelogin/exchange"), Block({u"PCID", u"1", u"OEMCode", u"", u"ChanCode", u""}), m_reply), 1);
    EXPECT_EQ(ReadFile(m_reply), Url("/welcome"));
}

TEST_F(DunmoreTest, AnEmptyBlockPostsAnEmptyForm)
{
    ASSERT_EQ(Upload(Url("/echo"), Block({}), m_reply), 1);
    EXPECT_EQ(ReadFile(m_reply), "");
    // The exchange insists on its identity fields.
    EXPECT_EQ(Upload(Url("/prelogin/exchange"), Block({}), m_reply), 0);
}

TEST_F(DunmoreTest, FailedUploadsReportZeroAndLeaveTheReplyFileEmpty)
{
    std::ofstream(m_reply) << "stale content";
    EXPECT_EQ(Upload(Url("/status/500"), Block({u"PCID", u"1"}), m_reply), 0);
    EXPECT_EQ(ReadFile(m_reply), "") << "an error page is not left behind as if it were a reply";
    EXPECT_EQ(Upload(Url("/moved"), Block({u"PCID", u"1"}), m_reply), 0);
    EXPECT_EQ(Upload("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/x", Block({u"PCID", u"1"}), m_reply), 0);
    EXPECT_TRUE(fs::exists(m_reply)) << "the caller's reply file stays where it was";

    ScopedEnv timeout("TESSALY_COMPANION_TIMEOUT_MS", "300");
    EXPECT_EQ(Upload(Url("/slow?ms=2500"), Block({u"PCID", u"1"}), m_reply), 0);
}

TEST_F(DunmoreTest, UnwritableReplyPathsFailWithoutSending)
{
    const auto block = Block({u"PCID", u"1"});
    EXPECT_EQ(Upload(Url("/echo"), block, m_dir.path() / "no-such-folder" / "reply"), 0);
    EXPECT_EQ(Upload(Url("/echo"), block, m_dir.path()), 0) << "a folder is not a reply file";
    EXPECT_FALSE(fs::exists(m_dir.path() / "no-such-folder"));

    // A reply file that does not exist yet is made, and removed again when the upload fails.
    const fs::path fresh = m_dir.path() / "fresh-reply";
    EXPECT_EQ(Upload(Url("/status/503"), block, fresh), 0);
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_EQ(Upload(Url("/echo"), block, fresh), 1);
    EXPECT_EQ(ReadFile(fresh), "PCID=1\n");
}

TEST_F(DunmoreTest, AFifoIsNoReplyFile)
{
    if (system::kWindows)
        GTEST_SKIP() << "no FIFOs in a Windows file system (devices and pipes have a case of their own)";
    const fs::path fifo = m_dir.path() / "fifo";
    ASSERT_TRUE(system::MakeFifo(fifo.string()));
    EXPECT_EQ(Upload(Url("/echo"), Block({u"PCID", u"1"}), fifo), 0) << "a FIFO is not a reply file (and must not block)";
}

TEST_F(DunmoreTest, BadArgumentsAreRefused)
{
    const auto block = Block({u"PCID", u"1"});
    const auto url = W(Url("/echo"));
    const auto reply = m_reply.u16string();
    EXPECT_EQ(m_upload(nullptr, block.c_str(), reply.c_str()), 0);
    EXPECT_EQ(m_upload(url.c_str(), nullptr, reply.c_str()), 0);
    EXPECT_EQ(m_upload(url.c_str(), block.c_str(), nullptr), 0);
    EXPECT_EQ(m_upload(u"", block.c_str(), reply.c_str()), 0);
}

TEST_F(DunmoreTest, DownloadWritesTheWholeFileOrNothing)
{
    const fs::path target = m_dir.path() / "done.html";
    ASSERT_EQ(m_download(W(Url("/done")).c_str(), target.u16string().c_str()), 1);
    const std::string page = ReadFile(target);
    EXPECT_NE(page.find("<<<617458A4-8957-4a97-A646-AACC83D5DD38"), std::string::npos);

    std::ofstream(target, std::ios::trunc) << "previous download";
    EXPECT_EQ(m_download(W(Url("/status/404")).c_str(), target.u16string().c_str()), 0);
    EXPECT_EQ(ReadFile(target), "previous download") << "a failed download keeps the old file";
    EXPECT_EQ(m_download(W(Url("/done")).c_str(), (m_dir.path() / "missing" / "f").u16string().c_str()), 0);

    std::size_t leftovers = 0;
    for (const auto& entry : fs::directory_iterator(m_dir.path()))
        leftovers += entry.path().filename().string().find(".part") != std::string::npos;
    EXPECT_EQ(leftovers, 0u) << "no partial files are left behind";
}

}  // namespace
}  // namespace tessaly::test
