// The configuration base's section reader and the common reading sequence, over real files.
#include <gtest/gtest.h>

#include "ConfigTestFiles.h"
#include "config/CZelXMLParseBase.h"
#include "config/ConfigSection.h"

namespace tessaly {
namespace {

using test::SectionFile;
using test::TempFolder;
using test::U16;

class ParseBaseTest : public ::testing::Test {
protected:
    // Reads section "VomoLogin" of a file holding `body`; true when the section was found.
    bool Read(std::string_view body, std::string_view sectionName = "VomoLogin")
    {
        file_ = folder_.Write("VomoLoginCfg.xml", SectionFile(sectionName, body));
        return ReadConfigSection(U16(file_), kLoginSection, base_);
    }

    std::u16string Value(std::u16string_view id) const
    {
        std::u16string out = u"stale";
        base_.GetWindowInfo(out, id);
        return out;
    }

    TempFolder folder_;
    std::filesystem::path file_;
    CZelXMLParseBase base_;
};

TEST_F(ParseBaseTest, WindowInfoKeepsTextExactlyAndTheLaterDuplicateWins)
{
    ASSERT_TRUE(Read(R"(<windowinfo>
        <!-- entries may be named anything -->
        <Item ItemID="LoginPatern" Data="%s?user=%s&amp;pwd=%s&amp;ip=%s"/>
        <Other ItemID="ErrorPwd" Data="Wrong CRLF password"/>
        <Item ItemID="ErrorMsg" Data="first"/>
        <Item ItemID="ErrorMsg" Data="second"/>
        <Item ItemID="errormsg" Data="other case"/>
        <Item Data="no id"/>
        <Item ItemID="Broken" data="attribute in other case"/>
        <Item ItemID="Lines" Data="a&#13;&#10;b"/>
      </windowinfo>)"));
    EXPECT_EQ(Value(u"LoginPatern"), u"%s?user=%s&pwd=%s&ip=%s");
    EXPECT_EQ(Value(u"ErrorPwd"), u"Wrong CRLF password");
    EXPECT_EQ(Value(u"ErrorMsg"), u"second");
    EXPECT_EQ(Value(u"errormsg"), u"other case");
    EXPECT_EQ(Value(u""), u"no id");
    EXPECT_EQ(Value(u"Broken"), u"");
    EXPECT_EQ(Value(u"Lines"), u"a\r\nb");
    EXPECT_EQ(Value(u"Absent"), u"");
    EXPECT_EQ(base_.ConfigDir(), folder_.Dir());
}

TEST_F(ParseBaseTest, PlacementColoursAndRectangles)
{
    ASSERT_TRUE(Read(R"(<PosInfo>
        <P ItemID="spaced" Pos="10, 20, 100, 30" Color="FF"/>
        <P ItemID="prefixed" Pos="-5,-5,10,10" Color=" 0x00ff00"/>
        <P ItemID="nocolor" Pos="1,2,3,4"/>
        <P ItemID="emptycolor" Color=""/>
        <P ItemID="junkcolor" Color="zz" Pos="7,8"/>
        <P ItemID="tab" Pos="1,&#9;2,3,4"/>
        <P ItemID="tabcomma" Pos="1&#9;,2,3,4"/>
        <P ItemID="dup" Pos="1,1,1,1"/>
        <P ItemID="dup" Pos="2,2,2,2"/>
      </PosInfo>)"));
    const auto& pos = base_.PosInfo();
    ASSERT_EQ(pos.size(), 8u);
    EXPECT_EQ(pos.at(u"spaced").rcPos, (_ZelRect{10, 20, 110, 50}));
    EXPECT_EQ(pos.at(u"spaced").crColor, 0xFFu);
    EXPECT_EQ(pos.at(u"spaced").strItemID, u"spaced");
    EXPECT_EQ(pos.at(u"prefixed").rcPos, (_ZelRect{-5, -5, 5, 5}));
    EXPECT_EQ(pos.at(u"prefixed").crColor, 0x00FF00u);
    EXPECT_EQ(pos.at(u"nocolor").crColor, kNoColor);
    EXPECT_EQ(pos.at(u"emptycolor").crColor, kNoColor);
    EXPECT_EQ(pos.at(u"emptycolor").rcPos, _ZelRect{});
    EXPECT_EQ(pos.at(u"junkcolor").crColor, kNoColor);
    EXPECT_EQ(pos.at(u"junkcolor").rcPos, (_ZelRect{7, 8, 7, 8}));
    // A tab before a number is skipped like white space; before a comma it stops the reading.
    EXPECT_EQ(pos.at(u"tab").rcPos, (_ZelRect{1, 2, 4, 6}));
    EXPECT_EQ(pos.at(u"tabcomma").rcPos, (_ZelRect{1, 0, 1, 0}));
    EXPECT_EQ(pos.at(u"dup").rcPos, (_ZelRect{2, 2, 4, 4}));
}

TEST_F(ParseBaseTest, ItemsReadEveryAttributeWithTheBaseImageRule)
{
    ASSERT_TRUE(Read(R"(<DynamicInfo>
        <Anything Name="One CRLF Two crlf" ID="IDOK" DllName="x.so" FunName="fn" FontName="Sans"
                  Out="btn\normal.png" Select="btn/down.png" Icon="app.ico" Cursor="hand.cur"
                  FontSize="12px" FontWeight=" +700" FontCharSet="-1" FontColor="0000FF" UnderLine="1"
                  Pos="1, 2, 3, 4" ControlType="3" DrawFocus="1"/>
        text between items
        <Second FontSize="big" FontColor="nothex" Pos="9"/>
        <LabelItem><Nested Name="not an item of the base"/></LabelItem>
      </DynamicInfo>)"));
    const auto& items = base_.DynamicItems();
    ASSERT_EQ(items.size(), 3u);
    const std::u16string dir = folder_.Dir();

    const _XmlDynamicItem& first = items[0];
    EXPECT_EQ(first.strName, u"One \r\n Two crlf");
    EXPECT_EQ(first.strID, u"IDOK");
    EXPECT_EQ(first.strDllName, u"x.so");
    EXPECT_EQ(first.strFunName, u"fn");
    EXPECT_EQ(first.strFontName, u"Sans");
    EXPECT_EQ(first.strImage[kImageOut], dir + u"btn/normal.png");
    EXPECT_EQ(first.strImage[kImageIn], dir + u"btn/normal.png");
    EXPECT_EQ(first.strImage[kImageSelect], dir + u"btn/down.png");
    EXPECT_EQ(first.strImage[kImageDisable], dir + u"btn/normal.png");
    EXPECT_EQ(first.strIcon, dir + u"app.ico");
    EXPECT_EQ(first.strCursor, dir + u"hand.cur");
    EXPECT_EQ(first.nFontSize, 12);
    EXPECT_EQ(first.nFontWeight, 700);
    EXPECT_EQ(first.nFontCharSet, -1);
    EXPECT_EQ(first.crFontColor, 0xFFu);
    EXPECT_EQ(first.nUnderLine, 1);
    EXPECT_EQ(first.rcPos, (_ZelRect{1, 2, 4, 6}));
    EXPECT_EQ(first.nControlType, 3);
    EXPECT_EQ(first.nDrawFocus, 1);
    EXPECT_EQ(first.nCtrlID, -1);
    EXPECT_EQ(first.pCtrl, nullptr);

    // Nothing carries over from the item before; an absent "Out" gives the folder itself.
    const _XmlDynamicItem& second = items[1];
    EXPECT_EQ(second.strIcon, u"");
    EXPECT_EQ(second.strCursor, u"");
    for (const auto& image : second.strImage)
        EXPECT_EQ(image, dir);
    EXPECT_EQ(second.nFontSize, 0);
    EXPECT_EQ(second.crFontColor, 0u);
    EXPECT_EQ(second.rcPos, (_ZelRect{9, 0, 9, 0}));
    EXPECT_EQ(second.nControlType, 0);
    EXPECT_EQ(second.nDrawFocus, 0);

    // The base reads groups as plain items and never descends into them.
    EXPECT_EQ(items[2].strName, u"");
}

TEST_F(ParseBaseTest, NumbersSaturateInsteadOfOverflowing)
{
    ASSERT_TRUE(Read(R"(<DynamicInfo><I FontSize="99999999999" FontWeight="-99999999999"
        Pos="2147483647,2147483647,10,10"/></DynamicInfo>)"));
    const auto& item = base_.DynamicItems().at(0);
    EXPECT_EQ(item.nFontSize, 2147483647);
    EXPECT_EQ(item.nFontWeight, -2147483647 - 1);
    EXPECT_EQ(item.rcPos.right, 2147483647);
}

TEST_F(ParseBaseTest, EmptyAndMissingPiecesLeaveEmptyCollections)
{
    ASSERT_TRUE(Read("<DynamicInfo/><WindowInfo/>"));
    EXPECT_TRUE(base_.DynamicItems().empty());
    EXPECT_TRUE(base_.WindowInfo().empty());
    EXPECT_TRUE(base_.PosInfo().empty());
}

TEST(ConfigSection, TheReaderRunsOnlyForAFoundSectionAndGetsTheFilesFolder)
{
    TempFolder folder;
    int calls = 0;
    std::u16string seenFolder;
    const SectionReader reader = [&](const xercesc::DOMElement* section, const std::u16string& dir) {
        ++calls;
        EXPECT_NE(section, nullptr);
        seenFolder = dir;
    };

    const auto good = folder.Write("sub/VomoLoginCfg.xml", SectionFile("vomologin", "<WindowInfo/>"));
    EXPECT_TRUE(ReadConfigSection(U16(good), kLoginSection, reader));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seenFolder, folder.Dir() + u"sub/");

    const auto other = folder.Write("other.xml", SectionFile("PreLoginFromInternetInfo", ""));
    EXPECT_FALSE(ReadConfigSection(U16(other), kLoginSection, reader));
    const auto broken = folder.Write("broken.xml", "<Config><CommonWindow><VomoLogin>");
    EXPECT_FALSE(ReadConfigSection(U16(broken), kLoginSection, reader));
    EXPECT_FALSE(ReadConfigSection(U16(folder.Path() / "missing.xml"), kLoginSection, reader));
    const auto noCommon = folder.Write("nocommon.xml", "<Config><VomoLogin/></Config>");
    EXPECT_FALSE(ReadConfigSection(U16(noCommon), kLoginSection, reader));
    EXPECT_EQ(calls, 1);
}

TEST(ConfigSection, OnlyTheFirstSectionOfANameIsRead)
{
    TempFolder folder;
    const auto file = folder.Write("VomoLoginCfg.xml", R"(<Config><CommonWindow>
        <VomoLogin><WindowInfo><I ItemID="k" Data="first"/></WindowInfo></VomoLogin>
        <VomoLogin><WindowInfo><I ItemID="k" Data="second"/><I ItemID="x" Data="y"/></WindowInfo></VomoLogin>
      </CommonWindow></Config>)");
    CZelXMLParseBase base;
    ASSERT_TRUE(ReadConfigSection(U16(file), kLoginSection, base));
    std::u16string value;
    base.GetWindowInfo(value, u"k");
    EXPECT_EQ(value, u"first");
    EXPECT_EQ(base.WindowInfo().size(), 1u);
}

TEST(ConfigSection, AHostileFileLeavesTheDefaults)
{
    TempFolder folder;
    std::string body = "<!DOCTYPE Config [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">";
    for (char c = 'b'; c <= 'k'; ++c) {
        body += "<!ENTITY ";
        body += c;
        body += " \"";
        for (int i = 0; i < 10; ++i)
            body += std::string("&") + static_cast<char>(c - 1) + ";";
        body += "\">";
    }
    body += "]><Config><CommonWindow><VomoLogin><WindowInfo><I ItemID=\"LoginPatern\" Data=\"&k;\"/>"
            "</WindowInfo></VomoLogin></CommonWindow></Config>";
    const auto file = folder.Write("VomoLoginCfg.xml", body);
    CZelXMLParseBase base;
    EXPECT_FALSE(ReadConfigSection(U16(file), kLoginSection, base));
    EXPECT_TRUE(base.WindowInfo().empty());
}

}  // namespace
}  // namespace tessaly
