// The XML access layer over real files: lookup rules, damaged files and hostile files.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <unistd.h>

#include <xercesc/dom/DOM.hpp>

#include "ConfigTestFiles.h"
#include "config/CXMLDocument.h"

namespace tessaly {
namespace {

using test::TempFolder;
using test::U16;
using xercesc::DOMElement;

// Loads one file and keeps the holder alive for look-ups.
struct Loaded {
    CXMLDocument document;
    DOMElement* root = nullptr;
    bool ok = false;

    explicit Loaded(const std::filesystem::path& file)
    {
        document.Init();
        ok = document.Load(U16(file), root);
    }
};

std::u16string Attr(const DOMElement* element, std::u16string_view name)
{
    std::u16string value = u"not cleared";
    GetAttributeValue(element, name, value);
    return value;
}

std::string TextOf(const DOMElement* element)
{
    const XMLCh* text = element->getTextContent();
    return text ? ToUtf8(text) : std::string();
}

TEST(XmlAccess, FindsElementsByNameInAnyCaseAndTakesTheFirstOfNamesakes)
{
    TempFolder folder;
    const auto file = folder.Write("a.xml", R"(<?xml version="1.0"?>
<AnyRootName>
  <!-- a comment before -->
  some stray text
  <?pi data?>
  <commonwindow marker="first"><VOMOLOGIN marker="deep"/></commonwindow>
  <COMMONWINDOW marker="second"><VomoLogin marker="never"/></COMMONWINDOW>
</AnyRootName>)");
    Loaded xml(file);
    ASSERT_TRUE(xml.ok);

    DOMElement* common = FindChildElement(xml.root, u"CommonWindow");
    ASSERT_NE(common, nullptr);
    EXPECT_EQ(Attr(common, u"marker"), u"first");

    DOMElement* section = xml.document.FindElement(xml.root, {u"CommonWindow", u"VomoLogin"});
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(Attr(section, u"marker"), u"deep");

    // The start element itself is never compared: only its children are searched.
    EXPECT_EQ(xml.document.FindElement(xml.root, {u"AnyRootName"}), nullptr);
    EXPECT_EQ(xml.document.FindElement(xml.root, {u"Missing", u"CommonWindow"}), nullptr);
    EXPECT_EQ(xml.document.FindElement(xml.root, {}), nullptr);
    EXPECT_EQ(xml.document.FindElement(nullptr, {u"CommonWindow"}), nullptr);
    EXPECT_EQ(FindChildElement(nullptr, u"CommonWindow"), nullptr);
    // Only a complete name matches.
    EXPECT_EQ(FindChildElement(xml.root, u"Common"), nullptr);
}

TEST(XmlAccess, AttributeNamesAreExactAndValuesArriveWithReferencesResolved)
{
    TempFolder folder;
    const auto file = folder.Write("a.xml", R"(<?xml version="1.0"?>
<r><e Name="A &amp; B" line="one&#13;&#10;two" empty="" spaced="  padded  " uni="&#x4E2D;&#20013;"/></r>)");
    Loaded xml(file);
    ASSERT_TRUE(xml.ok);
    DOMElement* e = FindChildElement(xml.root, u"e");
    ASSERT_NE(e, nullptr);

    std::u16string value;
    EXPECT_TRUE(GetAttributeValue(e, u"Name", value));
    EXPECT_EQ(value, u"A & B");
    EXPECT_FALSE(GetAttributeValue(e, u"name", value));
    EXPECT_EQ(value, u"");
    EXPECT_EQ(Attr(e, u"line"), u"one\r\ntwo");
    EXPECT_EQ(Attr(e, u"spaced"), u"  padded  ");
    EXPECT_EQ(Attr(e, u"uni"), u"\u4E2D\u4E2D");

    EXPECT_TRUE(GetAttributeValue(e, u"empty", value));
    EXPECT_EQ(value, u"");
    EXPECT_EQ(Attr(e, u"absent"), u"");
    EXPECT_EQ(Attr(nullptr, u"Name"), u"");
}

TEST(XmlAccess, DeclaredEncodingsAndAwkwardPathsAreHonoured)
{
    TempFolder folder;
    const auto latin = folder.Write("dir with space #1 %41/latin.xml",
                                    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r v=\"caf\xE9\"/>");
    Loaded xml(latin);
    ASSERT_TRUE(xml.ok);
    EXPECT_EQ(Attr(xml.root, u"v"), u"caf\u00E9");

    const auto utf16 = folder.Write("utf16.xml", std::string("\xFF\xFE<\0r\0 \0v\0=\0\"\0x\0\"\0/\0>\0", 22));
    Loaded wide(utf16);
    ASSERT_TRUE(wide.ok);
    EXPECT_EQ(Attr(wide.root, u"v"), u"x");
}

TEST(XmlAccess, MissingDamagedAndEmptyFilesFailToLoad)
{
    TempFolder folder;
    const std::pair<const char*, std::string> cases[] = {
        {"truncated", "<?xml version=\"1.0\"?><r><CommonWindow><VomoLogin><WindowInfo><i ItemID=\"a\" Data=\"b\"/>"},
        {"unclosed attribute", "<r a=\"x/>"},
        {"two roots", "<r/><s/>"},
        {"mismatched tags", "<r><a></b></r>"},
        {"undefined entity", "<r a=\"&nope;\"/>"},
        {"empty", ""},
        {"only a declaration", "<?xml version=\"1.0\"?>"},
        {"binary", std::string("\0\1\2\3garbage", 11)},
    };
    for (const auto& [name, content] : cases) {
        SCOPED_TRACE(name);
        Loaded xml(folder.Write(std::string(name) + ".xml", content));
        EXPECT_FALSE(xml.ok);
        EXPECT_EQ(xml.root, nullptr);
        EXPECT_EQ(xml.document.FindElement(xml.root, {u"CommonWindow"}), nullptr);
    }

    Loaded missing(folder.Path() / "does-not-exist.xml");
    EXPECT_FALSE(missing.ok);
    Loaded directory(folder.Path());
    EXPECT_FALSE(directory.ok);
    missing.document.Release();
    missing.document.Release();
}

TEST(XmlAccess, LoadWithoutInitFailsAndReleaseInvalidatesLookups)
{
    TempFolder folder;
    const auto file = folder.Write("a.xml", "<r><CommonWindow/></r>");
    CXMLDocument document;
    DOMElement* root = reinterpret_cast<DOMElement*>(&document);
    EXPECT_FALSE(document.Load(U16(file), root));
    EXPECT_EQ(root, nullptr);

    ASSERT_TRUE(document.Init());
    ASSERT_TRUE(document.Load(U16(file), root));
    EXPECT_NE(document.FindElement(root, {u"CommonWindow"}), nullptr);
    document.Release();
    // After release nothing is loaded, so no path is walked into freed memory.
    EXPECT_EQ(document.FindElement(root, {u"CommonWindow"}), nullptr);
}

TEST(XmlAccess, EntityExpansionBombFailsToLoad)
{
    std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n<!ENTITY l0 \"lollollollollollollollollollol\">\n";
    for (int i = 1; i <= 12; ++i) {
        bomb += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j)
            bomb += "&l" + std::to_string(i - 1) + ";";
        bomb += "\">\n";
    }
    bomb += "]>\n<r a=\"&l12;\"><CommonWindow>&l12;</CommonWindow></r>\n";
    TempFolder folder;
    Loaded xml(folder.Write("bomb.xml", bomb));
    EXPECT_FALSE(xml.ok);
}

TEST(XmlAccess, SmallInternalEntitiesStillWork)
{
    TempFolder folder;
    Loaded xml(folder.Write("a.xml", R"(<?xml version="1.0"?>
<!DOCTYPE r [ <!ENTITY product "Tessaly"> ]>
<r><e v="&product; &amp; co" w="&lt;&gt;&quot;&apos;"/></r>)"));
    ASSERT_TRUE(xml.ok);
    DOMElement* e = FindChildElement(xml.root, u"E");
    EXPECT_EQ(Attr(e, u"v"), u"Tessaly & co");
    EXPECT_EQ(Attr(e, u"w"), u"<>\"'");
}

// Watches one file for any open while it is alive.
class OpenWatch {
public:
    explicit OpenWatch(const std::filesystem::path& file)
        : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (fd_ >= 0)
            inotify_add_watch(fd_, file.c_str(), IN_OPEN | IN_ACCESS);
    }
    ~OpenWatch()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    bool Valid() const { return fd_ >= 0; }
    bool WasTouched() const
    {
        alignas(inotify_event) char buffer[4096];
        return read(fd_, buffer, sizeof buffer) > 0;
    }

private:
    int fd_;
};

// A loopback listener that reports whether anyone connected.
class Listener {
public:
    Listener()
    {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd_, 4) != 0 ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        port_ = ntohs(address.sin_port);
    }
    ~Listener()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    int Port() const { return port_; }
    bool WasContacted() const
    {
        pollfd p{fd_, POLLIN, 0};
        return poll(&p, 1, 50) > 0;
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

TEST(XmlAccess, NoExternalEntityOrDtdIsEverFetched)
{
    TempFolder folder;
    const auto secret = folder.Write("secret.txt", "TOP-SECRET");
    const auto dtd = folder.Write("outside.dtd", "<!ENTITY leak \"TOP-SECRET\">");
    Listener listener;
    ASSERT_NE(listener.Port(), 0);
    const std::string secretUri = "file://" + secret.string();
    const std::string dtdUri = "file://" + dtd.string();
    const std::string netUri = "http://127.0.0.1:" + std::to_string(listener.Port()) + "/x.dtd";

    const std::pair<const char*, std::string> cases[] = {
        {"external general entity",
         "<!DOCTYPE r [<!ENTITY ext SYSTEM \"" + secretUri + "\">]><r><c>&ext;</c></r>"},
        {"external DTD", "<!DOCTYPE r SYSTEM \"" + dtdUri + "\"><r><c>&leak;</c></r>"},
        {"external parameter entity",
         "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + dtdUri + "\"> %p;]><r><c>&leak;</c></r>"},
        {"plain path entity", "<!DOCTYPE r [<!ENTITY ext SYSTEM \"" + secret.string() + "\">]><r><c>&ext;</c></r>"},
        {"network DTD", "<!DOCTYPE r SYSTEM \"" + netUri + "\"><r><c/></r>"},
        {"network entity", "<!DOCTYPE r [<!ENTITY n SYSTEM \"" + netUri + "\">]><r><c>&n;</c></r>"},
    };
    for (const auto& [name, content] : cases) {
        SCOPED_TRACE(name);
        OpenWatch secretWatch(secret);
        OpenWatch dtdWatch(dtd);
        ASSERT_TRUE(secretWatch.Valid() && dtdWatch.Valid());
        Loaded xml(folder.Write("hostile.xml", content));
        EXPECT_FALSE(secretWatch.WasTouched());
        EXPECT_FALSE(dtdWatch.WasTouched());
        EXPECT_FALSE(listener.WasContacted());
        if (xml.ok) {
            DOMElement* c = FindChildElement(xml.root, u"c");
            ASSERT_NE(c, nullptr);
            EXPECT_EQ(TextOf(c).find("TOP-SECRET"), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace tessaly
