// The two section readers over one real file that holds the same body under both section names,
// so every rule they share and every point where they differ shows side by side.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/TempDir.h"
#include "config/CZelDialogConfig.h"
#include "config/CZelXMLParseBase.h"
#include "config/ConfigSection.h"

namespace tessaly {
namespace {

// A relative path written with '/' in the system's own form, as the readers resolve file names.
std::u16string Native(std::u16string_view relative)
{
    return std::filesystem::path(relative).make_preferred().u16string();
}

constexpr std::string_view kBody = R"(
  <windowinfo>
    <!-- entries and items may carry any element name -->
    <I ItemID="Pattern" Data="%s?a=%s&amp;b=%s"/>
    <I ItemID="Lines" Data="oneCRLFtwo crlf"/>
    <I ItemID="Dup" Data="first"/><I ItemID="Dup" Data="second"/><I ItemID="dup" Data="other case"/>
    <I Data="no id"/>
    <I ItemID="SheetSize" Data=" 640 , 480 "/><I ItemID="Half" Data="300"/><I ItemID="Blank" Data="  "/>
    <I ItemID="FontName" Data="An Extremely Long Font Family Name Beyond Limits"/>
    <I ItemID="FontSize" Data="13"/><I ItemID="FontCharSet" Data="390"/>
    <I ItemID="CheckBtnBmp" Data="skin\check.png"/>
  </windowinfo>
  <PosInfo>
    <P ItemID="spaced" Pos="10, 20, 100, 30" Color="FF"/>
    <P ItemID="prefixed" Pos="-5,-5,10,10" Color=" 0x00ff00"/>
    <P ItemID="none" Color="" Pos="7,8"/><P ItemID="junk" Color="zz"/>
    <P ItemID="tabs" Pos="1,&#9;2,3,4"/><P ItemID="tabcomma" Pos="1&#9;,2,3,4"/>
    <P ItemID="dup" Pos="1,1,1,1"/><P ItemID="dup" Pos="2,2,2,2"/>
  </PosInfo>
  <DYNAMICINFO>
    <Stray Name="AllCRLFAttributes" ID="IDOK" DllName="x.so" FunName="fn" FontName="Sans" Out="btn\up.png"
           Select="btn/down.png" Icon="app.ico" Cursor="hand.cur" FontSize="12px" FontWeight=" +700"
           FontCharSet="-1" FontColor="0000FF" UnderLine="1" Pos="1, 2, 3, 4" ControlType="3" DrawFocus="1"/>
    <Bare FontSize="big" FontColor="nothex" Pos="9" FontWeight="99999999999"/>
    <labelitem><A Name="L0" FontName="Serif" FontSize="20" FontWeight="700" UnderLine="1"/><B Name="L1"
        FontSize="-4"/><C Name="L2"/></labelitem>
    <LabelItem><D Name="never read"/></LabelItem>
    <ButtonItem><A Name="B0" Out="b.png" Select="s.png"/><B Name="B1" In="hover.png"/></ButtonItem>
    <PictureItem><P Out="pic.png"/></PictureItem>
  </DYNAMICINFO>)";

class SectionReaders : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string text = "<Config><CommonWindow><VomoLogin>" + std::string(kBody) +
                                 "</VomoLogin><PreLoginFromInternetInfo>" + std::string(kBody) +
                                 "</PreLoginFromInternetInfo></CommonWindow></Config>";
        const std::u16string file = folder_.Write("VomoLoginCfg.xml", text);
        ASSERT_TRUE(ReadConfigSection(file, kLoginSection, base_));
        ASSERT_TRUE(ReadConfigSection(file, kRedirectSection, dialog_));
        dir_ = folder_.folder16();
    }

    std::u16string BaseValue(std::u16string_view id) const
    {
        std::u16string out = u"stale";
        base_.GetWindowInfo(out, id);
        return out;
    }

    test::TempDir folder_;
    std::u16string dir_;
    CZelXMLParseBase base_;
    CZelDialogConfig dialog_;
};

TEST_F(SectionReaders, WindowValuesAreExactKeyedAndOnlyTheDialogTurnsCrlfIntoLineBreaks)
{
    EXPECT_EQ(BaseValue(u"Pattern"), u"%s?a=%s&b=%s");
    EXPECT_EQ(BaseValue(u"Lines"), u"oneCRLFtwo crlf");
    EXPECT_EQ(dialog_.GetWindowInfo(u"Lines"), u"one\r\ntwo crlf");
    for (const auto* values : {&base_.WindowInfo(), &dialog_.WindowInfo()}) {
        EXPECT_EQ(values->at(u"Dup"), u"second");
        EXPECT_EQ(values->at(u"dup"), u"other case");
        EXPECT_EQ(values->at(u""), u"no id");
    }
    EXPECT_EQ(BaseValue(u"Absent"), u"");
    EXPECT_EQ(dialog_.GetWindowInfo(u"absent"), u"");
    EXPECT_EQ(base_.ConfigDir(), dir_);
    EXPECT_EQ(dialog_.GetWindowFile(u"CheckBtnBmp"), dir_ + Native(u"skin/check.png"));
    EXPECT_EQ(dialog_.GetWindowFile(u"RadioBtnBmp"), u"");
}

TEST_F(SectionReaders, PlacementsReadRectanglesAndColours)
{
    for (const auto* pos : {&base_.PosInfo(), &dialog_.PosInfo()}) {
        ASSERT_EQ(pos->size(), 7u);
        EXPECT_EQ(pos->at(u"spaced").rcPos, (ZelRect{10, 20, 110, 50}));
        EXPECT_EQ(pos->at(u"spaced").crColor, 0xFFu);
        EXPECT_EQ(pos->at(u"spaced").strItemID, u"spaced");
        EXPECT_EQ(pos->at(u"prefixed").rcPos, (ZelRect{-5, -5, 5, 5}));
        EXPECT_EQ(pos->at(u"prefixed").crColor, 0x00FF00u);
        EXPECT_EQ(pos->at(u"none").crColor, kNoColor);
        EXPECT_EQ(pos->at(u"none").rcPos, (ZelRect{7, 8, 7, 8}));
        EXPECT_EQ(pos->at(u"junk").crColor, kNoColor);
        // A tab before a number is skipped; a tab before a comma ends the reading.
        EXPECT_EQ(pos->at(u"tabs").rcPos, (ZelRect{1, 2, 4, 6}));
        EXPECT_EQ(pos->at(u"tabcomma").rcPos, (ZelRect{1, 0, 1, 0}));
        EXPECT_EQ(pos->at(u"dup").rcPos, (ZelRect{2, 2, 4, 4}));
    }
    EXPECT_EQ(dialog_.FindPosInfo(u"SPACED"), nullptr);
}

TEST_F(SectionReaders, TheBaseReadsEveryChildAsAnItemWithItsOwnImageRule)
{
    const auto& items = base_.DynamicItems();
    ASSERT_EQ(items.size(), 6u);  // two loose items and the four group elements themselves
    const DynamicItem& all = items[0];
    EXPECT_EQ(all.strName, u"All\r\nAttributes");
    EXPECT_EQ(all.strID, u"IDOK");
    EXPECT_EQ(all.strDllName, u"x.so");
    EXPECT_EQ(all.strFunName, u"fn");
    EXPECT_EQ(all.strFontName, u"Sans");
    const std::u16string up = dir_ + Native(u"btn/up.png");
    EXPECT_EQ(all.strImage, (std::array<std::u16string, 4>{up, up, dir_ + Native(u"btn/down.png"), up}));
    EXPECT_EQ(all.strIcon, dir_ + u"app.ico");
    EXPECT_EQ(all.strCursor, dir_ + u"hand.cur");
    EXPECT_EQ(all.nFontSize, 12);
    EXPECT_EQ(all.nFontWeight, 700);
    EXPECT_EQ(all.nFontCharSet, -1);
    EXPECT_EQ(all.crFontColor, 0xFFu);
    EXPECT_EQ(all.nUnderLine, 1);
    EXPECT_EQ(all.rcPos, (ZelRect{1, 2, 4, 6}));
    EXPECT_EQ(all.nControlType, 3);
    EXPECT_EQ(all.nDrawFocus, 1);
    EXPECT_EQ(all.nCtrlID, -1);

    // Nothing carries over; an absent "Out" gives the folder itself for all four states.
    const DynamicItem& bare = items[1];
    EXPECT_EQ(bare.strImage, (std::array<std::u16string, 4>{dir_, dir_, dir_, dir_}));
    EXPECT_EQ(bare.strIcon, u"");
    EXPECT_EQ(bare.nFontSize, 0);
    EXPECT_EQ(bare.nFontWeight, 2147483647);
    EXPECT_EQ(bare.crFontColor, 0u);
    EXPECT_EQ(bare.rcPos, (ZelRect{9, 0, 9, 0}));
    EXPECT_EQ(bare.nControlType, 0);
    EXPECT_EQ(items[2].strName, u"");
}

TEST_F(SectionReaders, TheDialogReadsTheFirstOfEachGroupWithItsOwnImageRule)
{
    ASSERT_EQ(dialog_.LabelItems().size(), 3u);
    ASSERT_EQ(dialog_.ButtonItems().size(), 2u);
    ASSERT_EQ(dialog_.PictureItems().size(), 1u);
    EXPECT_EQ(dialog_.LabelItems()[2].strName, u"L2");

    const auto buttons = dialog_.ButtonItems();
    EXPECT_EQ(buttons[0].strImage,
              (std::array<std::u16string, 4>{dir_ + u"b.png", dir_ + u"b.png", dir_ + u"s.png", dir_ + u"b.png"}));
    EXPECT_EQ(buttons[1].strImage, (std::array<std::u16string, 4>{u"", dir_ + u"hover.png", u"", u""}));
    EXPECT_EQ(dialog_.LabelItems()[0].strImage, (std::array<std::u16string, 4>{}));

    // Label i is commanded with 256 + i, button i with 512 + i.
    EXPECT_EQ(dialog_.FindItemByCommand(258), &dialog_.LabelItems()[2]);
    EXPECT_EQ(dialog_.FindItemByCommand(513), &dialog_.ButtonItems()[1]);
    for (int id : {-1, 0, 255, 259, 511, 514, 0x7FFFFFFF})
        EXPECT_EQ(dialog_.FindItemByCommand(id), nullptr) << id;
}

TEST_F(SectionReaders, SheetSizeAndFontsComeFromWindowValues)
{
    const ZelRect untouched{1, 2, 3, 4};
    ZelRect rect = untouched;
    EXPECT_FALSE(dialog_.GetSizeInfo(u"Blank", rect));
    EXPECT_FALSE(dialog_.GetSizeInfo(u"Absent", rect));
    EXPECT_EQ(rect, untouched);
    EXPECT_TRUE(dialog_.GetSizeInfo(u"SheetSize", rect));
    EXPECT_EQ(rect, (ZelRect{0, 0, 640, 480}));
    EXPECT_TRUE(dialog_.GetSizeInfo(u"Half", rect));
    EXPECT_EQ(rect, (ZelRect{0, 0, 300, 0}));

    const WindowFont window = dialog_.GetWindowFont();
    EXPECT_EQ(window.strFaceName, u"An Extremely Long Font Family N");
    EXPECT_EQ(window.nHeight, -13);
    EXPECT_EQ(window.nWeight, 0);
    EXPECT_EQ(window.nCharSet, 390 & 0xFF);

    const WindowFont own = dialog_.GetItemFont(dialog_.LabelItems()[0]);
    EXPECT_EQ(own, (WindowFont{u"Serif", -20, 700, true, 390 & 0xFF}));
    // Values not greater than 0 fall back to the window's.
    EXPECT_EQ(dialog_.GetItemFont(dialog_.LabelItems()[1]), window);
}

TEST(ConfigSection, TheReaderRunsOnlyForAFoundSection)
{
    test::TempDir folder;
    int calls = 0;
    std::u16string seenFolder;
    const SectionReader reader = [&](const XmlElement*, const std::u16string& dir) {
        ++calls;
        seenFolder = dir;
    };
    const char* section = "<C><commonWINDOW><vomologin/><VomoLogin ignored=''/></commonWINDOW></C>";
    const std::u16string inSub = folder.Write("sub/VomoLoginCfg.xml", section);
    EXPECT_TRUE(ReadConfigSection(std::filesystem::path(inSub).make_preferred().u16string(), kLoginSection, reader));
    EXPECT_EQ(seenFolder, folder.folder16() + Native(u"sub/"));
    EXPECT_FALSE(ReadConfigSection(folder.Write("a.xml", section), kRedirectSection, reader));
    EXPECT_FALSE(ReadConfigSection(folder.Write("b.xml", "<C><VomoLogin/></C>"), kLoginSection, reader));
    EXPECT_FALSE(ReadConfigSection(folder.Write("c.xml", "<C><CommonWindow><VomoLogin>"), kLoginSection, reader));
    EXPECT_FALSE(ReadConfigSection(folder.folder16() + u"missing.xml", kLoginSection, reader));
    EXPECT_EQ(calls, 1);
}

// Records the order in which owned objects die.
struct Tracked : COwnedObject {
    Tracked(std::string& log, char name) : log(log), name(name) {}
    ~Tracked() override { log += name; }
    std::string& log;
    char name;
};

template <typename Item>
void CheckOwnership()
{
    std::string log;
    {
        Item item;
        item.hGdiObj = std::make_unique<Tracked>(log, 'g');
        item.pCtrl = std::make_unique<Tracked>(log, 'c');
        Item moved = std::move(item);
        EXPECT_EQ(log, "");
    }
    EXPECT_EQ(log, "cg");  // the control may still use its resource, so it goes first

    Item item;
    item.strName = u"x";
    item.nCtrlID = 512;
    item.nDrawFocus = 1;
    item.nControlType = 3;
    item.pCtrl = std::make_unique<Tracked>(log, 'r');
    item.Reset();
    EXPECT_EQ(log, "cgr");
    EXPECT_EQ(item.strName, u"");
    EXPECT_EQ(item.nCtrlID, -1);
    EXPECT_EQ(item.nDrawFocus, 1);
    EXPECT_EQ(item.nControlType, 3);
}

TEST(ItemRecords, OwnedObjectsDieControlFirstAndResetReleasesThem)
{
    CheckOwnership<DynamicItem>();
}

}  // namespace
}  // namespace tessaly
