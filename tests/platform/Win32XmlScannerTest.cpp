// The scanner on MSXML leaves the calling thread's COM apartment as it found it: none, or the one the
// thread had, of either kind, also when the sink throws; and it hands back all the memory a scan took.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <objbase.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "TestSystem.h"
#include "platform/XmlScanner.h"

namespace tessaly::platform {
namespace {

struct Sink final : XmlScanSink {
    void StartElement(std::u16string_view, std::span<const XmlScanAttribute>) override
    {
        if (refuse)
            throw std::logic_error("refused");
        ++elements;
    }
    void EndElement() override {}
    void Characters(std::u16string_view) override {}

    bool refuse = false;
    int elements = 0;
};

// Scans a document on a fresh thread that first enters `apartment` (or none), then reports what
// CoInitializeEx says afterwards about the apartment the thread is left in.
HRESULT ApartmentAfterScan(std::optional<DWORD> apartment, bool refuse)
{
    HRESULT after = E_FAIL;
    std::thread([&] {
        if (apartment) {
            EXPECT_EQ(::CoInitializeEx(nullptr, *apartment), S_OK);
        }
        Sink sink;
        sink.refuse = refuse;
        try {
            EXPECT_EQ(ScanXml("<r><a/><b/></r>", u"apartment.xml", sink), XmlScanResult::Parsed);
            EXPECT_FALSE(refuse);
            EXPECT_EQ(sink.elements, 3);
        } catch (const std::logic_error&) {
            EXPECT_TRUE(refuse);
        }
        after = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (SUCCEEDED(after))
            ::CoUninitialize();
        if (apartment)
            ::CoUninitialize();
    }).join();
    return after;
}

TEST(Win32Xml, TheCallersApartmentIsLeftAsItWas)
{
    for (const bool refuse : {false, true}) {
        SCOPED_TRACE(refuse ? "the sink throws" : "the sink takes all");
        EXPECT_EQ(ApartmentAfterScan(std::nullopt, refuse), S_OK);  // none before, none after
        EXPECT_EQ(ApartmentAfterScan(COINIT_APARTMENTTHREADED, refuse), S_FALSE);
        EXPECT_EQ(ApartmentAfterScan(COINIT_MULTITHREADED, refuse), RPC_E_CHANGED_MODE);
    }
}

// A scan that kept anything of a 64 KiB document (the parser's copy of the bytes, say) would grow the
// heap by at least that much with every round, whichever way the scan ends.
TEST(Win32Xml, ScansHandBackWhatTheyTook)
{
    std::string document = "<r>";
    while (document.size() < 64 * 1024)
        document += "<item name=\"a fairly long attribute value\">text</item>";
    const std::string parsed = document + "</r>";
    const std::string malformed = document + "</q>";
    const auto round = [&] {
        Sink sink;
        EXPECT_EQ(ScanXml(parsed, u"big.xml", sink), XmlScanResult::Parsed);
        EXPECT_EQ(ScanXml(malformed, u"big.xml", sink), XmlScanResult::Malformed);
        sink.refuse = true;
        EXPECT_THROW(ScanXml(parsed, u"big.xml", sink), std::logic_error);
    };
    round();
    const std::size_t before = test::system::HeapBytesInUse();
    for (int i = 0; i < 10; ++i)
        round();
    const std::size_t after = test::system::HeapBytesInUse();
    EXPECT_LT(after, before + 64 * 1024) << "heap in use grew from " << before << " to " << after << " bytes";
}

}  // namespace
}  // namespace tessaly::platform
