// The portable count of entity expansions against Xerces-C alone: it refuses what Xerces refuses, and
// more only where that is meant (expansions Xerces does not count, undeclared references it passes
// over). A newer Xerces that decides otherwise shows here.
#include <gtest/gtest.h>

#include "config/XmlScanCases.h"
#include "platform/XmlEntityBudget.h"
#include "platform/posix/XercesXmlScanner.h"

namespace tessaly {
namespace {

TEST(XercesAgreement, TheCountRefusesWhatXercesRefuses)
{
    for (const test::XmlScanCase& scanCase : test::XmlScanCases()) {
        SCOPED_TRACE(scanCase.what);
        test::ReportedTree report;
        const bool xercesParses = platform::ScanXmlWithXercesAlone(scanCase.document, u"case.xml", report) ==
                                  platform::XmlScanResult::Parsed;
        EXPECT_EQ(xercesParses, scanCase.tree.has_value() || scanCase.xercesAloneParses);
        EXPECT_EQ(platform::EntityExpansionsWithinBound(scanCase.document), !scanCase.xercesAloneParses && xercesParses);
    }
}

}  // namespace
}  // namespace tessaly
