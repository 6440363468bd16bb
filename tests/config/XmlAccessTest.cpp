// The XML access layer over real files: lookup rules, damaged files and hostile files.
#include <gtest/gtest.h>

#include "common/TempDir.h"
#include "config/CXMLDocument.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

using test::TempDir;

struct Loaded {
    CXMLDocument document;
    XmlElement* root = nullptr;
    bool ok = false;

    explicit Loaded(const std::u16string& file)
    {
        document.Init();
        ok = document.Load(file, root);
    }
};

std::u16string Attr(const XmlElement* element, std::u16string_view name)
{
    std::u16string value = u"not cleared";
    GetAttributeValue(element, name, value);
    return value;
}

TEST(XmlAccess, ElementsMatchInAnyCaseFirstNamesakeWinsAttributesMatchExactly)
{
    TempDir folder;
    Loaded xml(folder.Write("a.xml", R"(<?xml version="1.0"?>
<AnyRoot>
  <!-- comment --> stray text <?pi data?>
  <commonwindow marker="first"><VOMOLOGIN Name="deep" empty=""/></commonwindow>
  <COMMONWINDOW marker="second"/>
</AnyRoot>)"));
    ASSERT_TRUE(xml.ok);
    EXPECT_EQ(Attr(FindChildElement(xml.root, u"CommonWindow"), u"marker"), u"first");
    XmlElement* section = xml.document.FindElement(xml.root, {u"CommonWindow", u"VomoLogin"});
    ASSERT_NE(section, nullptr);

    std::u16string value;
    EXPECT_TRUE(GetAttributeValue(section, u"Name", value));
    EXPECT_EQ(value, u"deep");
    EXPECT_FALSE(GetAttributeValue(section, u"name", value));
    EXPECT_EQ(value, u"");
    EXPECT_TRUE(GetAttributeValue(section, u"empty", value));
    EXPECT_EQ(Attr(nullptr, u"Name"), u"");

    // The start element is never compared; a failed step, a partial name or no names find nothing.
    EXPECT_EQ(xml.document.FindElement(xml.root, {u"AnyRoot"}), nullptr);
    EXPECT_EQ(xml.document.FindElement(xml.root, {u"Missing", u"CommonWindow"}), nullptr);
    EXPECT_EQ(xml.document.FindElement(xml.root, {}), nullptr);
    EXPECT_EQ(xml.document.FindElement(nullptr, {u"CommonWindow"}), nullptr);
    EXPECT_EQ(FindChildElement(xml.root, u"Common"), nullptr);
    EXPECT_EQ(FindChildElement(nullptr, u"CommonWindow"), nullptr);

    // After Release nothing is loaded, so no walk reaches freed memory.
    xml.document.Release();
    EXPECT_EQ(xml.document.FindElement(xml.root, {u"CommonWindow"}), nullptr);
    xml.document.Release();
}

TEST(XmlAccess, ValuesArriveWithReferencesResolvedInTheDeclaredEncoding)
{
    TempDir folder;
    Loaded xml(folder.Write("odd #1 %41/a.xml", R"(<?xml version="1.0"?>
<!DOCTYPE r [ <!ENTITY product "Tessaly"> ]>
<r amp="A &amp; B" line="one&#13;&#10;two" spaced="  x  " uni="&#x4E2D;&#20013;" own="&product;!"/>)"));
    ASSERT_TRUE(xml.ok);
    EXPECT_EQ(Attr(xml.root, u"amp"), u"A & B");
    EXPECT_EQ(Attr(xml.root, u"line"), u"one\r\ntwo");
    EXPECT_EQ(Attr(xml.root, u"spaced"), u"  x  ");
    EXPECT_EQ(Attr(xml.root, u"uni"), u"\u4E2D\u4E2D");
    EXPECT_EQ(Attr(xml.root, u"own"), u"Tessaly!");

    Loaded latin(folder.Write("latin.xml", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r v=\"caf\xE9\"/>"));
    ASSERT_TRUE(latin.ok);
    EXPECT_EQ(Attr(latin.root, u"v"), u"caf\u00E9");
}

TEST(XmlAccess, MissingDamagedAndEmptyFilesFailToLoad)
{
    TempDir folder;
    const std::string cases[] = {
        "<?xml version=\"1.0\"?><r><CommonWindow><VomoLogin><WindowInfo><i ItemID=\"a\" Data=\"b\"/>",
        "<r a=\"x/>", "<r/><s/>", "<r><a></b></r>", "<r a=\"&nope;\"/>", "", "<?xml version=\"1.0\"?>",
        std::string("\0\1\2garbage", 10),
    };
    for (const std::string& content : cases) {
        SCOPED_TRACE(content);
        Loaded xml(folder.Write("bad.xml", content));
        EXPECT_FALSE(xml.ok);
        EXPECT_EQ(xml.root, nullptr);
    }
    EXPECT_FALSE(Loaded(folder.folder16() + u"missing.xml").ok);
    EXPECT_FALSE(Loaded(folder.folder16()).ok);

    CXMLDocument uninitialised;
    XmlElement* root = reinterpret_cast<XmlElement*>(&uninitialised);
    EXPECT_FALSE(uninitialised.Load(folder.Write("good.xml", "<r/>"), root));
    EXPECT_EQ(root, nullptr);
}

TEST(XmlAccess, EntityExpansionBombFailsToLoad)
{
    std::string bomb = "<!DOCTYPE r [<!ENTITY l0 \"lollollollollollollollollollol\">";
    for (int i = 1; i <= 12; ++i) {
        bomb += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j)
            bomb += "&l" + std::to_string(i - 1) + ";";
        bomb += "\">";
    }
    bomb += "]><r a=\"&l12;\"><CommonWindow>&l12;</CommonWindow></r>";
    TempDir folder;
    EXPECT_FALSE(Loaded(folder.Write("bomb.xml", bomb)).ok);
}

}  // namespace
}  // namespace tessaly
