// The configuration folder the build places beside the library: every value the login service and
// the sign-in helper window need, and every file the skin names, present and decodable.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "TestImages.h"
#include "config/CZelDialogConfig.h"
#include "config/CZelXMLParseBase.h"
#include "config/ConfigSection.h"
#include "support/PathHelpers.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

std::u16string Shipped(const char* name)
{
    return (std::filesystem::path(TESSALY_OUT_DIR "/Config") / name).make_preferred().u16string();
}

using test::images::ImageSize;

std::u16string Ini(const char* file, std::u16string_view section, std::u16string_view key)
{
    std::u16string value;
    ReadIniString(std::u16string(section), std::u16string(key), u"", &value, Shipped(file), 1024);
    return value;
}

TEST(ShippedConfig, LoginTextsAndSettingsFiles)
{
    CZelXMLParseBase login;
    ASSERT_TRUE(ReadConfigSection(Shipped("VomoLoginCfg.xml"), kLoginSection, login));
    EXPECT_EQ(login.WindowInfo().at(u"LoginPatern"), u"%s?user=%s&pwd=%s&ip=%s");
    for (const char16_t* id : {u"ErrorUserNotExist", u"ErrorPwd", u"ErrorAmbiguity", u"ErrorUserNotInUse",
                               u"ErrorUserNotActive", u"ErrorMsg"}) {
        const std::u16string& text = login.WindowInfo().at(id);
        EXPECT_GE(text.size(), 10u);
        // Only the generic message is a pattern, taking exactly one integer.
        const bool generic = std::u16string_view(id) == u"ErrorMsg";
        EXPECT_EQ(std::count(text.begin(), text.end(), u'%'), generic ? 1 : 0) << ToUtf8(text);
        EXPECT_EQ(text.find(u"%d") != std::u16string::npos, generic);
    }

    EXPECT_EQ(Ini("orvane.cfg", u"WebUrl", u"VomoLoginUrl"), u"http://127.0.0.1:8470/login");
    EXPECT_EQ(Ini("orvane.cfg", u"WebUrl", u"PreLoginFromInternet"), u"http://127.0.0.1:8470/prelogin/exchange");
    EXPECT_EQ(Ini("Parvex.cfg", u"COMMON", u"ForceGetPcid"), u"0");
    EXPECT_EQ(Ini("Parvex.cfg", u"Identity", u"OemID"), u"TSL-OEM-01");
    EXPECT_EQ(Ini("Parvex.cfg", u"Identity", u"AreaCode"), u"0571");

    std::ifstream in(ToUtf8(Shipped("PreLoginWait/wait.htm")));
    const std::string page{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(page.find("</html>"), std::string::npos);
    EXPECT_EQ(page.find("617458A4-8957-4a97-A646-AACC83D5DD38"), std::string::npos);
    EXPECT_EQ(page.find("://"), std::string::npos);  // nothing fetched from the network
}

class ShippedSkin : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ReadConfigSection(Shipped("VomoLoginCfg.xml"), kRedirectSection, skin_));
        ASSERT_TRUE(skin_.GetSizeInfo(u"SheetSize", sheet_));
    }

    void ExpectInsideSheet(const ZelRect& r) const
    {
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.Width() > 0 && r.Height() > 0 && r.right <= sheet_.right &&
                    r.bottom <= sheet_.bottom);
    }

    CZelDialogConfig skin_;
    ZelRect sheet_;
};

TEST_F(ShippedSkin, WindowValuesDescribeAFinishedWindow)
{
    EXPECT_EQ(sheet_, (ZelRect{0, 0, 640, 480}));
    EXPECT_FALSE(skin_.GetWindowInfo(u"Title").empty());
    const int caption = skin_.GetWindowInt(u"CaptionHeight");
    EXPECT_TRUE(caption >= 30 && caption <= 40);
    const WindowFont font = skin_.GetWindowFont();
    EXPECT_TRUE(!font.strFaceName.empty() && font.nHeight < 0 && font.nWeight > 0);

    const auto background = ImageSize(skin_.GetWindowFile(u"BackBmp"));
    ASSERT_TRUE(background);
    EXPECT_EQ(background->width, sheet_.Width());
    EXPECT_EQ(background->height, sheet_.Height());
    EXPECT_TRUE(ImageSize(skin_.GetWindowFile(u"Icon")));
    for (const char16_t* strip : {u"CheckBtnBmp", u"RadioBtnBmp"}) {
        const auto image = ImageSize(skin_.GetWindowFile(strip));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, 8 * image->height);  // 8 square cells
    }

    const PosInfoItem* browser = skin_.FindPosInfo(u"ITEM1");
    ASSERT_NE(browser, nullptr);
    ExpectInsideSheet(browser->rcPos);
    EXPECT_GT(browser->rcPos.top, caption);
}

TEST_F(ShippedSkin, ItemsAreCompleteAndTheirFilesDecode)
{
    ASSERT_GE(skin_.LabelItems().size(), 2u);
    ASSERT_GE(skin_.PictureItems().size(), 1u);
    for (const DynamicItem& label : skin_.LabelItems()) {
        EXPECT_FALSE(label.strName.empty());
        ExpectInsideSheet(label.rcPos);
        if (!label.strCursor.empty()) {
            EXPECT_TRUE(test::images::IsCursor(label.strCursor)) << ToUtf8(label.strCursor);
        }
    }
    for (const DynamicItem& picture : skin_.PictureItems()) {
        ExpectInsideSheet(picture.rcPos);
        EXPECT_TRUE(ImageSize(picture.strImage[kImageOut]));
    }

    std::vector<std::u16string> actions;
    for (const DynamicItem& button : skin_.ButtonItems()) {
        actions.push_back(AsciiLower(button.strID));
        ExpectInsideSheet(button.rcPos);
        for (const std::u16string& path : button.strImage) {
            const auto image = ImageSize(path);
            ASSERT_TRUE(image) << ToUtf8(path);
            // Faces are drawn at the button's size, so nothing is stretched.
            EXPECT_EQ(image->width, button.rcPos.Width());
            EXPECT_EQ(image->height, button.rcPos.Height());
        }
        auto faces = button.strImage;  // four different faces
        std::sort(faces.begin(), faces.end());
        EXPECT_EQ(std::unique(faces.begin(), faces.end()), faces.end());
    }
    // The window manager's frame carries title, minimise and close; the skin offers Cancel and no
    // second set of title-bar buttons.
    EXPECT_NE(std::find(actions.begin(), actions.end(), u"idcancel"), actions.end());
    EXPECT_EQ(std::find(actions.begin(), actions.end(), u"close"), actions.end());
    EXPECT_EQ(std::find(actions.begin(), actions.end(), u"minimize"), actions.end());
}

}  // namespace
}  // namespace tessaly
