// The dialog's configuration reader, its look-ups and the ownership rules of the item records.
#include <gtest/gtest.h>

#include <vector>

#include "ConfigTestFiles.h"
#include "config/CZelDialogConfig.h"
#include "config/ConfigSection.h"
#include "config/_XmlDynamicItem.h"

namespace tessaly {
namespace {

using test::SectionFile;
using test::TempFolder;
using test::U16;

class DialogConfigTest : public ::testing::Test {
protected:
    bool Read(std::string_view body)
    {
        const auto file = folder_.Write("VomoLoginCfg.xml", SectionFile("PreLoginFromInternetInfo", body));
        return ReadConfigSection(U16(file), kRedirectSection, config_);
    }

    TempFolder folder_;
    CZelDialogConfig config_;
};

TEST_F(DialogConfigTest, GroupsAreReadFromTheirFirstElementOnly)
{
    ASSERT_TRUE(Read(R"(<DYNAMICINFO>
        <Stray Name="outside every group"/>
        <labelitem><A Name="L0"/><!-- c --><B Name="L1"/><C Name="L2"/></labelitem>
        <LabelItem><D Name="ignored"/></LabelItem>
        <ButtonItem><A Name="B0"/><A Name="B1"/></ButtonItem>
        <PictureItem><P Out="pic.png"/></PictureItem>
      </DYNAMICINFO>)"));
    ASSERT_EQ(config_.LabelItems().size(), 3u);
    ASSERT_EQ(config_.ButtonItems().size(), 2u);
    ASSERT_EQ(config_.PictureItems().size(), 1u);
    EXPECT_EQ(config_.LabelItems()[2].strName, u"L2");
    EXPECT_EQ(config_.ButtonItems()[1].strName, u"B1");

    // Command ids: label i is 256 + i, button i is 512 + i; anything else finds nothing.
    EXPECT_EQ(config_.FindItemByCommand(258), &config_.LabelItems()[2]);
    EXPECT_EQ(config_.FindItemByCommand(513), &config_.ButtonItems()[1]);
    EXPECT_EQ(config_.FindItemByCommand(256), &config_.LabelItems()[0]);
    EXPECT_EQ(config_.FindItemByCommand(259), nullptr);
    EXPECT_EQ(config_.FindItemByCommand(514), nullptr);
    EXPECT_EQ(config_.FindItemByCommand(255), nullptr);
    EXPECT_EQ(config_.FindItemByCommand(-1), nullptr);
    EXPECT_EQ(config_.FindItemByCommand(0x7FFFFFFF), nullptr);
}

TEST_F(DialogConfigTest, ItemsUseTheDialogImageRule)
{
    ASSERT_TRUE(Read(R"(<DynamicInfo><ButtonItem>
        <B Out="skin\btn.png" Select="skin\btn_down.png" DrawFocus="1" ControlType="5" Name="OK" ID="idok"/>
        <B Name="no images"/>
        <B In="hover.png" Icon="i.ico"/>
        <B Out="" FontColor="FFFFFF" UnderLine="x" Pos="3,4,5"/>
      </ButtonItem></DynamicInfo>)"));
    const std::u16string dir = folder_.Dir();
    const auto buttons = config_.ButtonItems();
    ASSERT_EQ(buttons.size(), 4u);

    EXPECT_EQ(buttons[0].strImage[kImageOut], dir + u"skin/btn.png");
    EXPECT_EQ(buttons[0].strImage[kImageIn], dir + u"skin/btn.png");
    EXPECT_EQ(buttons[0].strImage[kImageSelect], dir + u"skin/btn_down.png");
    EXPECT_EQ(buttons[0].strImage[kImageDisable], dir + u"skin/btn.png");
    EXPECT_EQ(buttons[0].nDrawFocus, 1);
    EXPECT_EQ(buttons[0].strID, u"idok");

    for (const auto& image : buttons[1].strImage)
        EXPECT_EQ(image, u"");
    EXPECT_EQ(buttons[1].nDrawFocus, 0);

    EXPECT_EQ(buttons[2].strImage[kImageOut], u"");
    EXPECT_EQ(buttons[2].strImage[kImageIn], dir + u"hover.png");
    EXPECT_EQ(buttons[2].strImage[kImageSelect], u"");
    EXPECT_EQ(buttons[2].strIcon, dir + u"i.ico");

    EXPECT_EQ(buttons[3].strIcon, u"");
    EXPECT_EQ(buttons[3].strImage[kImageOut], u"");
    EXPECT_EQ(buttons[3].crFontColor, 0xFFFFFFu);
    EXPECT_EQ(buttons[3].nUnderLine, 0);
    EXPECT_EQ(buttons[3].rcPos, (_ZelRect{3, 4, 8, 4}));
    for (const auto& button : buttons)
        EXPECT_EQ(button.nCtrlID, -1);
}

TEST_F(DialogConfigTest, WindowValuesTurnCrlfIntoLineBreaks)
{
    ASSERT_TRUE(Read(R"(<WindowInfo>
        <I ItemID="Title" Data="Sign inCRLFplease"/>
        <I ItemID="Lower" Data="keep crlf"/>
        <I ItemID="CaptionHeight" Data="36 px"/>
        <I ItemID="CheckBtnBmp" Data="skin\check.png"/>
        <I ItemID="Empty" Data=""/>
      </WindowInfo>
      <PosInfo><P ItemID="ITEM1" Pos="8, 44, 624, 380"/><P ItemID="L" Color="0x123456"/></PosInfo>
      <DynamicInfo><LabelItem><L Name="aCRLFb"/></LabelItem></DynamicInfo>)"));
    EXPECT_EQ(config_.GetWindowInfo(u"Title"), u"Sign in\r\nplease");
    EXPECT_EQ(config_.GetWindowInfo(u"Lower"), u"keep crlf");
    EXPECT_EQ(config_.GetWindowInfo(u"title"), u"");
    EXPECT_EQ(config_.GetWindowInt(u"CaptionHeight"), 36);
    EXPECT_EQ(config_.GetWindowInt(u"Absent"), 0);
    EXPECT_EQ(config_.GetWindowFile(u"CheckBtnBmp"), folder_.Dir() + u"skin/check.png");
    EXPECT_EQ(config_.GetWindowFile(u"Empty"), u"");
    EXPECT_EQ(config_.GetWindowFile(u"RadioBtnBmp"), u"");
    EXPECT_EQ(config_.LabelItems()[0].strName, u"a\r\nb");

    const _PosInfoItem* browser = config_.FindPosInfo(u"ITEM1");
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->rcPos, (_ZelRect{8, 44, 632, 424}));
    EXPECT_EQ(browser->crColor, kNoColor);
    EXPECT_EQ(config_.FindPosInfo(u"L")->crColor, 0x123456u);
    EXPECT_EQ(config_.FindPosInfo(u"item1"), nullptr);
}

TEST_F(DialogConfigTest, SheetSizeReadsWidthAndHeightAtTheOrigin)
{
    ASSERT_TRUE(Read(R"(<WindowInfo>
        <I ItemID="SheetSize" Data=" 640 , 480 "/>
        <I ItemID="Half" Data="300"/>
        <I ItemID="Blank" Data="   "/>
        <I ItemID="Junk" Data="wide,tall"/>
      </WindowInfo>)"));
    const _ZelRect untouched{1, 2, 3, 4};
    _ZelRect rect = untouched;
    EXPECT_TRUE(config_.GetSizeInfo(u"SheetSize", rect));
    EXPECT_EQ(rect, (_ZelRect{0, 0, 640, 480}));
    EXPECT_TRUE(config_.GetSizeInfo(u"Half", rect));
    EXPECT_EQ(rect, (_ZelRect{0, 0, 300, 0}));
    EXPECT_TRUE(config_.GetSizeInfo(u"Junk", rect));
    EXPECT_EQ(rect, (_ZelRect{0, 0, 0, 0}));

    rect = untouched;
    EXPECT_FALSE(config_.GetSizeInfo(u"Blank", rect));
    EXPECT_FALSE(config_.GetSizeInfo(u"Absent", rect));
    EXPECT_EQ(rect, untouched);
}

TEST_F(DialogConfigTest, WindowAndItemFontsFallBackValueByValue)
{
    ASSERT_TRUE(Read(R"(<WindowInfo>
        <I ItemID="FontName" Data="An Extremely Long Font Family Name Beyond Limits"/>
        <I ItemID="FontSize" Data="13"/>
        <I ItemID="FontCharSet" Data="390"/>
      </WindowInfo>
      <DynamicInfo><LabelItem>
        <L FontName="Serif" FontSize="20" FontWeight="700" UnderLine="1"/>
        <L FontSize="-4" FontCharSet="0"/>
      </LabelItem></DynamicInfo>)"));
    const _WindowFont window = config_.GetWindowFont();
    EXPECT_EQ(window.strFaceName, u"An Extremely Long Font Family N");
    EXPECT_EQ(window.strFaceName.size(), _WindowFont::kMaxFaceName);
    EXPECT_EQ(window.nHeight, -13);
    EXPECT_EQ(window.nWeight, 0);
    EXPECT_EQ(window.nCharSet, 390 & 0xFF);
    EXPECT_FALSE(window.bUnderline);

    const _WindowFont own = config_.GetItemFont(config_.LabelItems()[0]);
    EXPECT_EQ(own.strFaceName, u"Serif");
    EXPECT_EQ(own.nHeight, -20);
    EXPECT_EQ(own.nWeight, 700);
    EXPECT_EQ(own.nCharSet, 390 & 0xFF);
    EXPECT_TRUE(own.bUnderline);

    // Values that are not greater than 0 fall back to the window's.
    const _WindowFont inherited = config_.GetItemFont(config_.LabelItems()[1]);
    EXPECT_EQ(inherited.nHeight, -13);
    EXPECT_EQ(inherited.strFaceName, window.strFaceName);
}

TEST_F(DialogConfigTest, AnEmptySectionGivesDefaults)
{
    ASSERT_TRUE(Read(""));
    EXPECT_TRUE(config_.LabelItems().empty());
    EXPECT_TRUE(config_.WindowInfo().empty());
    EXPECT_EQ(config_.GetWindowFont(), _WindowFont{});
    EXPECT_EQ(config_.ConfigDir(), folder_.Dir());
}

TEST(DialogConfig, ANullSectionReadsNothing)
{
    CZelDialogConfig config;
    config.ParseSection(nullptr, u"/x/");
    EXPECT_TRUE(config.PosInfo().empty());
    EXPECT_EQ(config.ConfigDir(), u"/x/");
    std::vector<_DynamicItem> items;
    ParseItems(nullptr, u"/x/", items);
    EXPECT_TRUE(items.empty());
}

// Records the order in which owned objects die.
class Tracked : public COwnedObject {
public:
    Tracked(std::vector<std::string>& log, std::string name) : log_(log), name_(std::move(name)) {}
    ~Tracked() override { log_.push_back(name_); }

private:
    std::vector<std::string>& log_;
    std::string name_;
};

template <typename Item>
void CheckOwnership()
{
    std::vector<std::string> log;
    {
        Item item;
        item.hGdiObj = std::make_unique<Tracked>(log, "gdi");
        item.pCtrl = std::make_unique<Tracked>(log, "ctrl");
        Item moved = std::move(item);
        EXPECT_TRUE(log.empty());
    }
    // The control may still use its resource, so it goes first.
    EXPECT_EQ(log, (std::vector<std::string>{"ctrl", "gdi"}));

    log.clear();
    Item item;
    item.strName = u"x";
    item.nCtrlID = 512;
    item.nDrawFocus = 1;
    item.rcPos = {1, 2, 3, 4};
    item.strImage[kImageDisable] = u"d";
    item.pCtrl = std::make_unique<Tracked>(log, "ctrl");
    item.Reset();
    EXPECT_EQ(log, (std::vector<std::string>{"ctrl"}));
    EXPECT_EQ(item.strName, u"");
    EXPECT_EQ(item.nCtrlID, -1);
    EXPECT_EQ(item.rcPos, _ZelRect{});
    EXPECT_EQ(item.strImage[kImageDisable], u"");
    EXPECT_EQ(item.nDrawFocus, 1);
}

TEST(ItemRecords, OwnedObjectsDieControlFirstAndResetReleasesThem)
{
    CheckOwnership<_DynamicItem>();
    CheckOwnership<_XmlDynamicItem>();

    _XmlDynamicItem item;
    item.nControlType = 4;
    item.Reset();
    EXPECT_EQ(item.nControlType, 4);
}

}  // namespace
}  // namespace tessaly
