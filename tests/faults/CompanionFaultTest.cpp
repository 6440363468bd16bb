// Companion libraries that break their contracts: the library must follow its failure path (code -1,
// the configured error message, result 0) or use what is sound, and never crash or read past a buffer.
#include <gtest/gtest.h>

#include <filesystem>

#include "faults/FakeMode.h"
#include "faults/LibrarySandbox.h"

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;

class CompanionFaultTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(sandbox_.Load(&error)) << error;
    }

    // Runs one PreLogin under `mode` and checks result, code and message.
    void ExpectOutcome(const std::string& mode, int rc, std::int32_t code, const std::u16string& message)
    {
        FakeMode fake(sandbox_, mode);
        std::int32_t gotCode = 0;
        std::u16string gotMessage;
        EXPECT_EQ(sandbox_.CallPreLogin(&gotCode, &gotMessage), rc) << mode;
        EXPECT_EQ(gotCode, code) << mode;
        EXPECT_EQ(gotMessage, message) << mode;
        lastRecord_ = fake.Record();
    }

    LibrarySandbox sandbox_{Companions::Fake, /*tracing=*/true};
    std::string lastRecord_;
};

TEST_F(CompanionFaultTest, ImpossibleReplyLengthsAreTheNoReplyPath)
{
    // 128 is one past the buffer, 2^32-1 and 2^31 would be negative as signed lengths.
    for (const char* mode : {"len128", "lenmax", "lenneg", "fail"})
        ExpectOutcome(mode, 0, -1, u"Error -1");
    const std::string trace = ReadFile(sandbox_.TraceFile());
    EXPECT_NE(trace.find("Exit  Fun CVomoLogin::QLRequestNet3"), std::string::npos);
    EXPECT_NE(trace.find("Exit  Fun CVomoLogin::QLRequestNet2"), std::string::npos);
}

TEST_F(CompanionFaultTest, ReplyFillingTheWholeBufferIsCutAtItsLength)
{
    // The fake writes 128 bytes with no terminator and reports 127: "-102" followed by letters.
    ExpectOutcome("garbage", 0, -102, u"Wrong password");
}

TEST_F(CompanionFaultTest, RepliesAreReadLikeWtoi)
{
    ExpectOutcome("reply:0", 1, 0, u"");
    ExpectOutcome("reply: 12abc", 0, 12, u"Error 12");
    ExpectOutcome("reply:letters", 0, -1, u"Error -1");  // no code at all is no answer
    ExpectOutcome("reply:99999999999", 0, 2147483647, u"Error 2147483647");
}

TEST_F(CompanionFaultTest, ImpossibleCipherLengthsSendAnEmptyPassword)
{
    for (const char* mode : {"cipher-neg", "cipher-huge", "cipher-full"}) {
        ExpectOutcome(mode, 1, 0, u"");
        EXPECT_NE(lastRecord_.find("Zel_Decrypt key=58074319 in=12 out=6"), std::string::npos) << lastRecord_;
        EXPECT_NE(lastRecord_.find("password=&ip="), std::string::npos) << mode << ": " << lastRecord_;
    }
}

TEST_F(CompanionFaultTest, CipherOutputWithoutTerminatorStaysInsideItsBuffer)
{
    ExpectOutcome("cipher-garbage", 1, 0, u"");
    EXPECT_NE(lastRecord_.find("password=ZZZZZZ&ip="), std::string::npos) << lastRecord_;
}

TEST_F(CompanionFaultTest, ClearPasswordReachesTheAgentButNeverTheTrace)
{
    ExpectOutcome("reply:0", 1, 0, u"");
    EXPECT_NE(lastRecord_.find("user=alice&password=secret&ip="), std::string::npos) << lastRecord_;
    const std::string trace = ReadFile(sandbox_.TraceFile());
    EXPECT_NE(trace.find("password=******"), std::string::npos);
    EXPECT_EQ(trace.find("secret"), std::string::npos);
}

// The agent library replaced by something that is not it: a library without the export, a file that
// is not a library at all, and no file.
TEST(CompanionSubstituteTest, WrongOrMissingAgentLibraryIsTheNoReplyPath)
{
    for (const std::string substitute : {"other-library", "not-a-library", "missing"}) {
        LibrarySandbox sandbox(Companions::Fake);
        const fs::path agent = sandbox.LibraryFolder() / "Trelvin.so";
        fs::remove(agent);
        if (substitute == "other-library")
            fs::create_symlink(fs::path(TESSALY_FAULTS_FAKE_DIR) / "Parvex.so", agent);
        else if (substitute == "not-a-library")
            sandbox.WriteConfigFile("../Trelvin.so", std::string(4096, '\x7f'));
        FakeMode fake(sandbox, "reply:0");
        std::int32_t code = 0;
        std::u16string message;
        EXPECT_EQ(sandbox.CallPreLogin(&code, &message), 0) << substitute;
        EXPECT_EQ(code, -1) << substitute;
        EXPECT_EQ(message, u"") << substitute << ": configuration is not read without the agent";
        EXPECT_EQ(fake.Record().find("requestDataFromUrl"), std::string::npos);
    }
}

}  // namespace
}  // namespace tessaly::test
