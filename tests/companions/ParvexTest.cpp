#include "common/LoadedLibrary.h"
#include "common/ScopedEnv.h"
#include "common/ServiceSuite.h"
#include "common/TempDir.h"

#include <fstream>
#include <regex>

namespace tessaly::test {
namespace {

using ValueFn = int (*)(char16_t*, int, int);
namespace fs = std::filesystem;

// Each test works on its own copy of the library, so its Config folder and its cached identifier
// belong to that test alone.
class ParvexTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(m_dir.path() / "Config");
        const fs::path library = OutLibrary("Parvex");
        const fs::path copy = m_dir.path() / library.filename();
        fs::copy_file(library, copy);
        m_dir.Write("machine-id", "0123456789abcdef0123456789abcdef\n");
        m_library = std::make_unique<LoadedLibrary>(copy.string());
        ASSERT_TRUE(m_library->ok()) << m_library->error();
        for (const char* name : {"PVXGetPCID", "PVXGetOemID", "PVXGetAreaCode", "PVXGetVCC"})
            ASSERT_NE(m_library->Get<ValueFn>(name), nullptr) << name;
    }

    // Calls an export with a buffer of `capacity` units plus a fenced tail; the value is the text up
    // to the first NUL.
    struct Value {
        int rc;
        std::u16string text;
        bool fenceIntact;
    };
    Value Get(const char* name, int flag = 0, int capacity = 256)
    {
        std::vector<char16_t> buffer(static_cast<std::size_t>(capacity) + 16, u'\x5A5A');
        const int rc = m_library->Get<ValueFn>(name)(buffer.data(), capacity, flag);
        bool fence = true;
        for (std::size_t i = static_cast<std::size_t>(capacity); i < buffer.size(); ++i)
            fence &= buffer[i] == u'\x5A5A';
        std::u16string text;
        for (int i = 0; i < capacity && buffer[static_cast<std::size_t>(i)] != 0; ++i)
            text += buffer[static_cast<std::size_t>(i)];
        return {rc, text, fence};
    }

    TempDir m_dir;
    ScopedEnv m_machineId{"PARVEX_MACHINE_ID_FILE", m_dir.file("machine-id")};
    std::unique_ptr<LoadedLibrary> m_library;
};

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

TEST_F(ParvexTest, PcIdentifierIsStableAndFollowsTheMachineId)
{
    const Value first = Get("PVXGetPCID", 1);
    ASSERT_EQ(first.rc, 1);
    EXPECT_TRUE(std::regex_match(Narrow(first.text), std::regex("[0-9A-F]{32}"))) << Narrow(first.text);
    EXPECT_EQ(Narrow(first.text).find("0123456789abcdef"), std::string::npos) << "the machine id is not revealed";
    EXPECT_EQ(Get("PVXGetPCID", 0).text, first.text);
    EXPECT_EQ(Get("PVXGetPCID", 1).text, first.text);

    // A normal call may use the value computed before; a forced call computes it again.
    m_dir.Write("machine-id", "fedcba9876543210fedcba9876543210\n");
    EXPECT_EQ(Get("PVXGetPCID", 0).text, first.text);
    const Value forced = Get("PVXGetPCID", 1);
    EXPECT_EQ(forced.rc, 1);
    EXPECT_NE(forced.text, first.text);
    EXPECT_EQ(Get("PVXGetPCID", 0).text, forced.text);
}

TEST_F(ParvexTest, WithoutAMachineIdThereIsNoPcIdentifier)
{
    fs::remove(m_dir.path() / "machine-id");
    const Value none = Get("PVXGetPCID", 1);
    EXPECT_EQ(none.rc, 0);
    EXPECT_EQ(none.text, u"");
}

TEST_F(ParvexTest, ValuesThatDoNotFitAreRefusedWithoutOverrun)
{
    const Value exact = Get("PVXGetPCID", 1, 33);
    EXPECT_EQ(exact.rc, 1);
    EXPECT_EQ(exact.text.size(), 32u);
    EXPECT_TRUE(exact.fenceIntact);
    for (const int capacity : {32, 5, 1}) {
        const Value cut = Get("PVXGetPCID", 0, capacity);
        EXPECT_EQ(cut.rc, 0) << capacity;
        EXPECT_EQ(cut.text, u"") << capacity;
        EXPECT_TRUE(cut.fenceIntact) << capacity;
    }
    EXPECT_EQ(m_library->Get<ValueFn>("PVXGetPCID")(nullptr, 256, 1), 0);
    char16_t one = u'x';
    EXPECT_EQ(m_library->Get<ValueFn>("PVXGetPCID")(&one, 0, 1), 0);
    EXPECT_EQ(one, u'x') << "a buffer of capacity 0 is not written";

    m_dir.Write("Config/Parvex.cfg", "[Identity]\nOemID=OEM-LONG-CODE\n");
    const Value oem = Get("PVXGetOemID", 0, 8);
    EXPECT_EQ(oem.rc, 0);
    EXPECT_EQ(oem.text, u"");
    EXPECT_TRUE(oem.fenceIntact);
}

TEST_F(ParvexTest, CodesComeFromTheSettingsFileBesideTheLibrary)
{
    m_dir.Write("Config/Parvex.cfg",
              "\xEF\xBB\xBF; written by the installer\r\n[COMMON]\r\nForceGetPcid=0\r\nOemID=wrong-section\r\n"
              "[ identity ]\r\n  oemid = \"OEM-0042\" \r\nAreaCode=Z\xC3\xBCrich-7\r\nVCC=\r\nOemID=second-wins-not\r\n");
    EXPECT_EQ(Get("PVXGetOemID").text, u"OEM-0042");
    const Value area = Get("PVXGetAreaCode");
    EXPECT_EQ(area.rc, 1);
    EXPECT_EQ(area.text, u"Z\u00FCrich-7");
    const Value vcc = Get("PVXGetVCC");
    EXPECT_EQ(vcc.rc, 0) << "an empty value is no value";
    EXPECT_EQ(vcc.text, u"");

    // As Windows' profile functions may keep it: UTF-16, little-endian, after its byte order mark.
    const std::u16string wide = u"\uFEFF[Identity]\r\nAreaCode=Z\u00FCrich-16\r\n";
    m_dir.Write("Config/Parvex.cfg", std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2));
    EXPECT_EQ(Get("PVXGetAreaCode").text, u"Z\u00FCrich-16");
}

TEST_F(ParvexTest, MissingSettingsGiveEmptyValues)
{
    for (const char* name : {"PVXGetOemID", "PVXGetAreaCode", "PVXGetVCC"}) {
        const Value v = Get(name);
        EXPECT_EQ(v.rc, 0) << name;
        EXPECT_EQ(v.text, u"") << name;
    }
    m_dir.Write("Config/Parvex.cfg", "[Identity]\nAreaCode=12\n");
    EXPECT_EQ(Get("PVXGetOemID").rc, 0);
    EXPECT_EQ(Get("PVXGetAreaCode").text, u"12");
}

}  // namespace
}  // namespace tessaly::test
