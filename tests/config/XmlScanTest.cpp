// The system's XML scanner over documents whose verdict turns on entities or nesting: the same verdict
// and the same report on every system, and the portable count of expansions refuses exactly the
// documents that fail over their entities.
#include <gtest/gtest.h>

#include <stdexcept>

#include "TestSystem.h"
#include "config/XmlScanCases.h"
#include "platform/XmlEntityBudget.h"

namespace tessaly {
namespace {

void Check(const test::XmlScanCase& scanCase)
{
    SCOPED_TRACE(scanCase.what);
    test::ReportedTree report;
    const bool parsed = platform::ScanXml(scanCase.document, u"case.xml", report) == platform::XmlScanResult::Parsed;
    EXPECT_EQ(parsed, scanCase.tree.has_value());
    if (parsed && scanCase.tree) {
        EXPECT_EQ(report.text, *scanCase.tree);
    }
    EXPECT_EQ(platform::EntityExpansionsWithinBound(scanCase.document), scanCase.tree.has_value());
}

TEST(XmlScan, EntitiesDecideTheSameWayOnEverySystem)
{
    for (const test::XmlScanCase& scanCase : test::XmlScanCases())
        if (!scanCase.beyondWine)
            Check(scanCase);
}

TEST(XmlScan, EntityMarkupAndDefaultAttributesAreReported)
{
    if (test::system::UnderWine())
        GTEST_SKIP() << "Wine's MSXML keeps no entity replacement in mixed content and adds no default attributes";
    for (const test::XmlScanCase& scanCase : test::XmlScanCases())
        if (scanCase.beyondWine)
            Check(scanCase);
}

TEST(XmlScan, ElementsNestAtMostToTheBound)
{
    for (const std::size_t depth : {platform::kXmlElementDepthLimit, platform::kXmlElementDepthLimit + 1}) {
        SCOPED_TRACE(depth);
        const std::string open = test::Repeat("<a>", static_cast<int>(depth));
        const std::string close = test::Repeat("</a>", static_cast<int>(depth));
        test::ReportedTree report;
        const platform::XmlScanResult result = platform::ScanXml(open + "x" + close, u"deep.xml", report);
        const bool parsed = result == platform::XmlScanResult::Parsed;
        EXPECT_EQ(parsed, depth == platform::kXmlElementDepthLimit);
        if (parsed) {
            EXPECT_EQ(report.text, open + "x" + close);
        }
    }
}

// The sink's own exception comes through as it is, and is not the parser's.
TEST(XmlScan, TheSinksExceptionComesThrough)
{
    struct Refusing final : platform::XmlScanSink {
        void StartElement(std::u16string_view, std::span<const platform::XmlScanAttribute>) override
        {
            throw std::logic_error("refused");
        }
        void EndElement() override {}
        void Characters(std::u16string_view) override {}
    } refusing;
    try {
        platform::ScanXml("<r a='1'/>", u"sink.xml", refusing);
        ADD_FAILURE() << "no exception";
    } catch (const std::logic_error&) {
        EXPECT_EQ(platform::CurrentXmlParserExceptionKind(), nullptr);
    }
    test::ReportedTree report;
    EXPECT_EQ(platform::ScanXml("<r a='1'/>", u"after.xml", report), platform::XmlScanResult::Parsed);
    EXPECT_EQ(report.text, "<r a=\"1\"></r>");
}

}  // namespace
}  // namespace tessaly
