// The credential helpers: deciphering through a fake cipher library, the adapter choice and the
// encoding of request values.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "login/AdapterIdentity.h"
#include "login/AdapterSource.h"
#include "login/CipherLibrary.h"
#include "login/LoginSandbox.h"
#include "login/PercentEncode.h"
#include "platform/TextEncoding.h"
#include "support/WideText.h"

using namespace login_test;
using tessaly::platform::AdapterInfo;

namespace {

class CipherTest : public ::testing::Test {
protected:
    void SetUp() override { box.InstallCipher(); }

    // Deciphers through a loaded record and returns (result, clear text, the fake's one record).
    std::tuple<int, std::u16string, std::string> Decipher(const std::u16string& hex)
    {
        tessaly::CipherLibrary library{};
        tessaly::LoadCipherLibrary(library, tessaly::test::NativeFolder(box.hostDir.string()), u"Cyvelle" TESSALY_LIBRARY_SUFFIX);
        std::u16string clear = u"untouched";
        box.ClearRecords();
        const int result = tessaly::DecipherHexText(hex, library, &clear, tessaly::kCipherKey);
        library.loader.Free();
        const auto calls = box.Records("decrypt ");
        return {result, clear, calls.empty() ? "" : calls.front()};
    }

    LoginSandbox box;
};

TEST_F(CipherTest, HexTextIsDecodedPairwiseIntoABufferOfTheTextsLength)
{
    struct Case { std::u16string hex; std::string record; std::u16string clear; };
    const Case cases[] = {
        {u"4142", "decrypt key=58074319 keylen=8 in=41420000 inlen=4 outlen=2", u"AB"},
        {u"414", "decrypt key=58074319 keylen=8 in=410400 inlen=3 outlen=1", u"A"},
        {u"4a4B", "decrypt key=58074319 keylen=8 in=4a4b0000 inlen=4 outlen=2", u"JK"},
        {u"zz41", "decrypt key=58074319 keylen=8 in=00410000 inlen=4 outlen=2", u""},
        // The clear bytes are the edge encoding's text: UTF-8 on Linux (é), the ANSI code page on Windows.
        {u"C3A9", "decrypt key=58074319 keylen=8 in=c3a90000 inlen=4 outlen=2", tessaly::platform::FromEdgeText("\xC3\xA9")},
    };
    for (const Case& c : cases) {
        const auto [result, clear, record] = Decipher(c.hex);
        EXPECT_EQ(result, 1);
        EXPECT_EQ(record, c.record);
        EXPECT_EQ(clear, c.clear);
    }
}

TEST_F(CipherTest, ImpossibleOutputLengthsAreFailuresNotOverruns)
{
    for (const char* length : {"-1", "4", "1000"}) {
        ScopedEnv forced("FAKE_CYVELLE_OUTLEN", length);
        const auto [result, clear, record] = Decipher(u"41424344");
        EXPECT_EQ(result, length == std::string("4") ? 1 : 0) << length;
        EXPECT_EQ(clear, length == std::string("4") ? u"ABCD" : u"") << length;
    }
    ScopedEnv filled("FAKE_CYVELLE_OUTPUT", "12345678");
    EXPECT_EQ(std::get<0>(Decipher(u"41424344")), 0) << "a full buffer leaves no room for the terminator";
}

TEST_F(CipherTest, DecipherPasswordUsesTheHostFolderAndFreesTheLibrary)
{
    std::u16string clear;
    tessaly::DecipherPassword(&clear, u"7077");
    EXPECT_EQ(clear, u"pw");
    const std::vector<std::string> expected = {"cyvelle load",
                                               "decrypt key=58074319 keylen=8 in=70770000 inlen=4 outlen=2",
                                               "cyvelle unload"};
    EXPECT_EQ(box.Records(), expected);

    box.InstallCipher("cyvelle-noencrypt");
    tessaly::CipherLibrary library{};
    EXPECT_EQ(tessaly::LoadCipherLibrary(library, tessaly::test::NativeFolder(box.hostDir.string()), u"Cyvelle" TESSALY_LIBRARY_SUFFIX), 0);
    library.loader.Free();
    clear.clear();
    tessaly::DecipherPassword(&clear, u"7077");
    EXPECT_EQ(clear, u"pw") << "the decryption export alone is enough";

    tessaly::DecipherPassword(&clear, u"");
    EXPECT_EQ(clear, u"pw") << "an empty text deciphers nothing";
    std::filesystem::remove(box.hostDir / "Cyvelle" TESSALY_LIBRARY_SUFFIX);
    tessaly::DecipherPassword(&clear, u"7077");
    EXPECT_EQ(clear, u"pw") << "without the library the output stays as it was";
}

TEST_F(CipherTest, WithoutACopyBesideTheHostTheLibrarysOwnFolderServes)
{
    // The host's copy comes first: a broken file beside the library is never looked at.
    std::ofstream(box.libDir / "Cyvelle" TESSALY_LIBRARY_SUFFIX) << "not a library";
    std::u16string clear;
    tessaly::DecipherPassword(&clear, u"7077");
    EXPECT_EQ(clear, u"pw");

    std::filesystem::rename(box.hostDir / "Cyvelle" TESSALY_LIBRARY_SUFFIX, box.libDir / "Cyvelle" TESSALY_LIBRARY_SUFFIX);
    box.ClearRecords();
    clear.clear();
    tessaly::DecipherPassword(&clear, u"7077");
    EXPECT_EQ(clear, u"pw") << "a host outside the library's folder (an interpreter in /usr/bin)";
    EXPECT_EQ(box.Records().back(), "cyvelle unload");
}

class AdapterTest : public ::testing::Test {
protected:
    struct Fake {
        AdapterInfo adapter;
        bool pci;
    };
    void Use(std::vector<Fake> fakes)
    {
        std::vector<AdapterInfo> adapters;
        for (const Fake& fake : fakes)
            adapters.push_back(fake.adapter);
        tessaly::SetAdapterSourceForTesting(tessaly::AdapterSource{
            [adapters] { return adapters; },
            [fakes](const std::string& name) {
                for (const Fake& fake : fakes)
                    if (fake.adapter.name == name)
                        return fake.pci;
                return false;
            }});
    }
    std::u16string LocalAddress()
    {
        std::u16string address = u"stale";
        tessaly::GetLocalIpAddress(&address);
        return address;
    }
    void TearDown() override { tessaly::SetAdapterSourceForTesting(std::nullopt); }
};

TEST_F(AdapterTest, PciAdaptersArePreferredInListOrder)
{
    Use({{{"wlan0", 2, {"10.0.0.5"}}, false},
         {{"enp3s0", 3, {"192.168.1.2", "192.168.1.9"}}, true},
         {{"enp4s0", 4, {"192.168.1.3"}}, true}});
    EXPECT_EQ(LocalAddress(), u"192.168.1.2");

    Use({{{"wlan0", 2, {"10.0.0.5"}}, false}, {{"enp3s0", 3, {}}, true}, {{"enp4s0", 4, {"192.168.1.3"}}, true}});
    EXPECT_EQ(LocalAddress(), u"0.0.0.0") << "a PCI adapter without an address still counts";

    Use({{{"wlan0", 2, {}}, false}, {{"usb0", 3, {"10.0.0.6"}}, false}});
    EXPECT_EQ(LocalAddress(), u"0.0.0.0") << "without PCI adapters the first adapter counts, address or not";

    Use({});
    EXPECT_EQ(LocalAddress(), u"");
}

TEST_F(AdapterTest, ListAppendsAndFiltersByPciMembership)
{
    Use({{{"wlan0", 2, {"10.0.0.5"}}, false}, {{"enp3s0", 3, {"192.168.1.2", "10.1.1.1"}}, true}, {{"usb0", 4, {}}, false}});
    std::vector<std::u16string> list = {u"earlier"};
    tessaly::GetAdapterIpList(&list, true);
    tessaly::GetAdapterIpList(&list, false);
    EXPECT_EQ(list, (std::vector<std::u16string>{u"earlier", u"192.168.1.2", u"10.1.1.1", u"10.0.0.5",
                                                 u"192.168.1.2", u"10.1.1.1", u"0.0.0.0"}))
        << "every address of every adapter, 0.0.0.0 for one without";
    EXPECT_FALSE(tessaly::IsPciAdapter(u"unknown0"));
}

TEST(PercentEncode, KeepsUnreservedAndEncodesUtf8Bytes)
{
    EXPECT_EQ(tessaly::PercentEncode(u"Az09-._~"), u"Az09-._~");
    EXPECT_EQ(tessaly::PercentEncode(u"a&b=c?d/e#f+g h%"), u"a%26b%3Dc%3Fd%2Fe%23f%2Bg%20h%25");
    EXPECT_EQ(tessaly::PercentEncode(u"\u00e9\u4e2d\U0001F600"), u"%C3%A9%E4%B8%AD%F0%9F%98%80");
    EXPECT_EQ(tessaly::PercentEncode(u""), u"");
}

}  // namespace
