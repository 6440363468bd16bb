// The scanner on MSXML leaves the calling thread's COM apartment as it found it: none, or the one the
// thread had, of either kind, also when the sink throws.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <objbase.h>

#include <optional>
#include <stdexcept>
#include <thread>

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

}  // namespace
}  // namespace tessaly::platform
