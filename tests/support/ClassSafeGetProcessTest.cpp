#include <gtest/gtest.h>

#include <cstdio>

#include "support/ClassSafeGetProcess.h"
#include "support/TraceTestSupport.h"

namespace tessaly {
namespace {

using test::Lines;
using test::MessageOf;
using test::TempDir;
using test::W;

std::string Hex(const void* p)
{
    char text[32];
    std::snprintf(text, sizeof text, "0X%llX", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(p)));
    return text;
}

// Routes the global trace log into a scratch folder for one test.
class GuardedLoader : public ::testing::Test {
protected:
    void SetUp() override { test::EnableTracing(g_LogTrace, dir_); }
    void TearDown() override { g_LogTrace.SetEnabledForTesting(false); }
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> out;
        for (const auto& line : Lines(dir_.file("UILogTrace.txt")))
            out.push_back(MessageOf(line));
        return out;
    }
    TempDir dir_;
};

TEST_F(GuardedLoader, LoadsOnceResolvesTwiceAndFreesWithTraces)
{
    ClassSafeGetProcess record;
    void* first = record.GetProc(W(TESSALY_TEST_PLUGIN), u"tessaly_test_answer");
    ASSERT_NE(first, nullptr);
    void* second = record.GetProc(u"/ignored/path.so", u"tessaly_test_other");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(record.m_pfnProc, second);
    EXPECT_EQ(reinterpret_cast<int (*)()>(second)(), 7);
    const void* handle = record.m_hModule;
    record.Free();
    EXPECT_EQ(record.m_hModule, nullptr);
    EXPECT_EQ(record.m_pfnProc, nullptr);
    const std::vector<std::string> expected = {
        std::string("Begin  Call LoadLibrary in ClassSafeGetProcess, Dll Name is ") + TESSALY_TEST_PLUGIN,
        "Finish Call LoadLibrary in ClassSafeGetProcess, Load Add is " + Hex(handle),
        "Begin  Call FreeLibrary in ClassSafeGetProcess, Add is " + Hex(handle),
        "Finish Call FreeLibrary in ClassSafeGetProcess",
    };
    EXPECT_EQ(Messages(), expected);
}

TEST_F(GuardedLoader, MissingLibraryTracesZeroAndIsTriedAgain)
{
    ClassSafeGetProcess record;
    EXPECT_EQ(record.GetProc(u"/nonexistent/Trelvin.so", u"requestDataFromUrl"), nullptr);
    EXPECT_EQ(record.m_hModule, nullptr);
    EXPECT_EQ(record.GetProc(u"/nonexistent/Trelvin.so", u"requestDataFromUrl"), nullptr);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[1], "Finish Call LoadLibrary in ClassSafeGetProcess, Load Add is 0X0");
    EXPECT_EQ(messages[2], "Begin  Call LoadLibrary in ClassSafeGetProcess, Dll Name is /nonexistent/Trelvin.so");
}

TEST_F(GuardedLoader, MissingExportKeepsTheLibraryLoadedAndTracesNothing)
{
    ClassSafeGetProcess record;
    ASSERT_NE(record.GetProc(W(TESSALY_TEST_PLUGIN), u"tessaly_test_answer"), nullptr);
    EXPECT_EQ(record.GetProc(W(TESSALY_TEST_PLUGIN), u"HttpDownload"), nullptr);
    EXPECT_EQ(record.m_pfnProc, nullptr);
    EXPECT_NE(record.m_hModule, nullptr);
    EXPECT_EQ(record.GetProc(W(TESSALY_TEST_PLUGIN), u"malloc"), nullptr);  // not the plugin's own
    EXPECT_EQ(record.GetProc(W(TESSALY_TEST_PLUGIN), std::u16string(2000, u'x')), nullptr);
    EXPECT_EQ(Messages().size(), 2u);
    record.Free();
}

TEST_F(GuardedLoader, FreeingAnEmptyRecordTracesNothingAndInPlaceFreeNeverRepeats)
{
    ClassSafeGetProcess empty;
    empty.Free();
    EXPECT_EQ(empty.m_hModule, nullptr);
    EXPECT_FALSE(std::filesystem::exists(dir_.file("UILogTrace.txt")));

    ClassSafeGetProcess record;
    ASSERT_NE(record.GetProc(W(TESSALY_TEST_PLUGIN), u"tessaly_test_answer"), nullptr);
    record.FreeInPlace();
    record.Free();  // a second release must not unload again
    EXPECT_EQ(Messages().size(), 4u);
}

}  // namespace
}  // namespace tessaly
