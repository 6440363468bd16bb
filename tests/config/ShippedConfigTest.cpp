// The configuration folder that the build places beside the library: every value the login service
// and the sign-in helper window need, and every file the skin names, really there and decodable.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include <gdk-pixbuf/gdk-pixbuf.h>

#include "config/CZelDialogConfig.h"
#include "config/CZelXMLParseBase.h"
#include "config/ConfigSection.h"
#include "support/PathHelpers.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

const std::filesystem::path kConfigDir = std::filesystem::path(TESSALY_OUT_DIR) / "Config";

std::u16string ShippedFile(const char* name)
{
    return FromUtf8((kConfigDir / name).string());
}

struct PixbufUnref {
    void operator()(GdkPixbuf* pixbuf) const { g_object_unref(pixbuf); }
};
using Pixbuf = std::unique_ptr<GdkPixbuf, PixbufUnref>;

Pixbuf LoadImage(const std::u16string& path)
{
    return Pixbuf(gdk_pixbuf_new_from_file(ToUtf8(path).c_str(), nullptr));
}

TEST(ShippedConfig, LoginSectionHasThePatternAndEveryMessage)
{
    CZelXMLParseBase login;
    ASSERT_TRUE(ReadConfigSection(ShippedFile("VomoLoginCfg.xml"), kLoginSection, login));
    std::u16string value;
    login.GetWindowInfo(value, u"LoginPatern");
    EXPECT_EQ(value, u"%s?user=%s&pwd=%s&ip=%s");

    for (const char16_t* id : {u"ErrorUserNotExist", u"ErrorPwd", u"ErrorAmbiguity", u"ErrorUserNotInUse",
                               u"ErrorUserNotActive", u"ErrorMsg"}) {
        login.GetWindowInfo(value, id);
        SCOPED_TRACE(ToUtf8(id));
        EXPECT_GE(value.size(), 10u);
        // Only the generic message is a pattern, and it takes exactly one integer.
        const auto percents = std::count(value.begin(), value.end(), u'%');
        EXPECT_EQ(percents, std::u16string_view(id) == u"ErrorMsg" ? 1 : 0);
    }
    login.GetWindowInfo(value, u"ErrorMsg");
    EXPECT_NE(value.find(u"%d"), std::u16string::npos);
}

class ShippedSkin : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ReadConfigSection(ShippedFile("VomoLoginCfg.xml"), kRedirectSection, skin_));
        ASSERT_TRUE(skin_.GetSizeInfo(u"SheetSize", sheet_));
    }

    bool InsideSheet(const _ZelRect& rect) const
    {
        return rect.left >= 0 && rect.top >= 0 && rect.Width() > 0 && rect.Height() > 0 &&
               rect.right <= sheet_.right && rect.bottom <= sheet_.bottom;
    }

    CZelDialogConfig skin_;
    _ZelRect sheet_;
};

TEST_F(ShippedSkin, WindowValuesDescribeAFinishedWindow)
{
    EXPECT_EQ(sheet_, (_ZelRect{0, 0, 640, 480}));
    EXPECT_FALSE(skin_.GetWindowInfo(u"Title").empty());
    const int caption = skin_.GetWindowInt(u"CaptionHeight");
    EXPECT_GE(caption, 30);
    EXPECT_LE(caption, 40);

    const _WindowFont font = skin_.GetWindowFont();
    EXPECT_FALSE(font.strFaceName.empty());
    EXPECT_LT(font.nHeight, 0);
    EXPECT_GT(font.nWeight, 0);

    const Pixbuf background = LoadImage(skin_.GetWindowFile(u"BackBmp"));
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_width(background.get()), sheet_.Width());
    EXPECT_EQ(gdk_pixbuf_get_height(background.get()), sheet_.Height());
    EXPECT_NE(LoadImage(skin_.GetWindowFile(u"Icon")), nullptr);

    for (const char16_t* strip : {u"CheckBtnBmp", u"RadioBtnBmp"}) {
        SCOPED_TRACE(ToUtf8(strip));
        const Pixbuf image = LoadImage(skin_.GetWindowFile(strip));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(gdk_pixbuf_get_width(image.get()) % 8, 0);
        EXPECT_EQ(gdk_pixbuf_get_width(image.get()) / 8, gdk_pixbuf_get_height(image.get()));
    }

    const _PosInfoItem* browser = skin_.FindPosInfo(u"ITEM1");
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(InsideSheet(browser->rcPos));
    EXPECT_GT(browser->rcPos.top, caption);
}

TEST_F(ShippedSkin, ItemsAreCompleteAndTheirFilesDecode)
{
    ASSERT_GE(skin_.LabelItems().size(), 2u);
    ASSERT_GE(skin_.PictureItems().size(), 1u);
    for (const _DynamicItem& label : skin_.LabelItems()) {
        EXPECT_FALSE(label.strName.empty());
        EXPECT_TRUE(InsideSheet(label.rcPos));
        if (!label.strCursor.empty()) {
            const Pixbuf cursor = LoadImage(label.strCursor);
            ASSERT_NE(cursor, nullptr);
            EXPECT_NE(gdk_pixbuf_get_option(cursor.get(), "x_hot"), nullptr);
        }
    }
    for (const _DynamicItem& picture : skin_.PictureItems()) {
        EXPECT_TRUE(InsideSheet(picture.rcPos));
        EXPECT_NE(LoadImage(picture.strImage[kImageOut]), nullptr);
    }

    bool close = false;
    bool minimize = false;
    for (const _DynamicItem& button : skin_.ButtonItems()) {
        SCOPED_TRACE(ToUtf8(button.strID));
        close = close || EqualsNoCase(button.strID, u"CLOSE");
        minimize = minimize || EqualsNoCase(button.strID, u"MINIMIZE");
        EXPECT_TRUE(InsideSheet(button.rcPos));
        for (const std::u16string& path : button.strImage) {
            const Pixbuf image = LoadImage(path);
            ASSERT_NE(image, nullptr) << ToUtf8(path);
            // State faces are drawn at the button's own size, so nothing is stretched.
            EXPECT_EQ(gdk_pixbuf_get_width(image.get()), button.rcPos.Width());
            EXPECT_EQ(gdk_pixbuf_get_height(image.get()), button.rcPos.Height());
        }
        // Four different faces: normal, hover, pressed and disabled.
        auto images = button.strImage;
        std::sort(images.begin(), images.end());
        EXPECT_EQ(std::unique(images.begin(), images.end()), images.end());
    }
    EXPECT_TRUE(close);
    EXPECT_TRUE(minimize);
}

TEST(ShippedConfig, SettingsFilesPointAtTheLocalStandInService)
{
    const std::u16string orvane = ShippedFile("orvane.cfg");
    std::u16string value;
    ReadIniString(u"WebUrl", u"VomoLoginUrl", u"", &value, orvane, 1024);
    EXPECT_EQ(value, u"http://127.0.0.1:8470/login");
    ReadIniString(u"WebUrl", u"PreLoginFromInternet", u"", &value, orvane, 1024);
    EXPECT_EQ(value, u"http://127.0.0.1:8470/prelogin/exchange");

    const std::u16string parvex = ShippedFile("Parvex.cfg");
    ReadIniString(u"COMMON", u"ForceGetPcid", u"", &value, parvex, 64);
    EXPECT_EQ(value, u"0");
    ReadIniString(u"Identity", u"OemID", u"", &value, parvex, 64);
    EXPECT_EQ(value, u"TSL-OEM-01");
    ReadIniString(u"Identity", u"AreaCode", u"", &value, parvex, 64);
    EXPECT_EQ(value, u"0571");
}

TEST(ShippedConfig, WaitPageIsLocalAndCarriesNoReplyMarker)
{
    std::ifstream in(kConfigDir / "PreLoginWait" / "wait.htm");
    ASSERT_TRUE(in);
    std::stringstream text;
    text << in.rdbuf();
    const std::string page = text.str();
    EXPECT_NE(page.find("</html>"), std::string::npos);
    EXPECT_EQ(page.find("617458A4-8957-4a97-A646-AACC83D5DD38"), std::string::npos);
    EXPECT_EQ(page.find("://"), std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
}

}  // namespace
}  // namespace tessaly
