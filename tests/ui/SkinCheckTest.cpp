// The configuration checker on the shipped folder (clean) and on broken copies, one mistake each:
// every class of mistake is reported at the line that holds it, and errors fail the exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ui/UiTestSupport.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

test::CommandRun RunChecker(const std::string& folder)
{
    return test::RunCommand(std::string(TESSALY_OUT_DIR) + "/tessaly-skin-check " + folder + " 2>/dev/null");
}

// A copy of the shipped folder with one file edited: its first `from` replaced by `to`, or the file
// removed when `to` is null. The copy's skin/ also holds images in the wrong sizes for the mistakes.
struct BrokenCopy {
    test::ImageFolder dir;
    std::string text;
    BrokenCopy(const std::string& file, const std::string& from, const char* to)
    {
        fs::copy(std::string(TESSALY_OUT_DIR) + "/Config", dir.file("Config"), fs::copy_options::recursive);
        dir.SolidPng("Config/skin/faces120x40.png", 120, 40, 0x336699);
        dir.SolidPng("Config/skin/strip112x16.png", 112, 16, 0x336699);
        dir.SolidPng("Config/skin/back600x400.png", 600, 400, 0x336699);
        const std::string path = dir.file("Config/" + file);
        if (!to) {
            fs::remove(path);
            return;
        }
        text = test::ReadFile(path);
        const auto at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos)
            text.replace(at, from.size(), to);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    }
    // Line of the first occurrence of `marker` in the edited file; 1 for no marker.
    int LineOf(const char* marker) const
    {
        if (!marker)
            return 1;
        const auto at = text.find(marker);
        return at == std::string::npos ? -1 : 1 + static_cast<int>(std::count(text.begin(), text.begin() + at, '\n'));
    }
};

TEST(SkinCheck, TheShippedFolderIsClean)
{
    const test::CommandRun run = RunChecker(std::string(TESSALY_OUT_DIR) + "/Config");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "");
}

TEST(SkinCheck, ExitStatusCountsWarningsOnlyWithWerror)
{
    BrokenCopy copy("VomoLoginCfg.xml", "FontColor=\"FFFFFF\"", "FontColor=\"FFF\"");
    EXPECT_EQ(RunChecker(copy.dir.file("Config")).exitCode, 0);
    EXPECT_EQ(RunChecker(copy.dir.file("Config") + " --werror").exitCode, 1);
    EXPECT_EQ(RunChecker("--no-such-option").exitCode, 2);
}

struct Mistake {
    const char* from;
    const char* to;        // null: the file is removed
    const char* marker;    // text on the line the finding must name; null: line 1
    const char* expected;  // severity and message part
    const char* file = "VomoLoginCfg.xml";
};

const std::string kLongText(1100, 'x');

TEST(SkinCheck, EachMistakeIsReportedAtItsLine)
{
    const std::string longAddress = "VomoLoginUrl=http://127.0.0.1:8470/" + kLongText;
    const std::string longCode = "OemID=" + kLongText;
    const Mistake mistakes[] = {
        // Sign-in texts.
        {"ItemID=\"LoginPatern\"", "ItemID=\"LoginPattern\"", "LoginPattern",
         "error: unknown sign-in entry \"LoginPattern\" is never looked up (did you mean \"LoginPatern\"?)"},
        {"ItemID=\"ErrorPwd\"", "ItemID=\"errorpwd\"", "errorpwd",
         "error: unknown sign-in entry \"errorpwd\" is never looked up: item ids are case-sensitive; write \"ErrorPwd\""},
        {"Data=\"%s?user=%s&amp;pwd=%s&amp;ip=%s\"", "Data=\"%s?user=%d&amp;pwd=%s&amp;ip=%s\"", "user=%d",
         "error: LoginPatern conversion 2 \"%d\" gets the user name, which is text: use %s"},
        {"Data=\"%s?user=%s&amp;pwd=%s&amp;ip=%s\"", "Data=\"%s?user=%s&amp;pwd=%s&amp;ip=%s&amp;t=%s\"", "t=%s",
         "error: LoginPatern conversion 5 \"%s\" has no value"},
        // Names and values.
        {"ItemID=\"Title\"", "ItemID=\"Titel\"", "Titel", "error: unknown window entry \"Titel\""},
        {"ItemID=\"Title\"", "ItemID=\"title\"", "ItemID=\"title\"",
         "error: unknown window entry \"title\" is never looked up: item ids are case-sensitive; write \"Title\""},
        {"<LabelItem>", "<LabelItem>\n<Item Name=\"a\" Pos=\"1,1,5,5\" Colour=\"FF\"/>", "Colour",
         "error: unknown attribute \"Colour\" on a label item is never read"},
        {"FontColor=\"FFFFFF\"", "FontColour=\"FFFFFF\"", "FontColour",
         "error: unknown attribute \"FontColour\" on a label item is never read (did you mean \"FontColor\"?)"},
        {"FontColor=\"FFFFFF\"", "fontcolor=\"FFFFFF\"", "fontcolor",
         "error: attribute \"fontcolor\" on a label item is never read: attribute names are case-sensitive; write "
         "\"FontColor\""},
        {"<LabelItem>", "<LabelItem>\n<Item Name=\"b\" Pos=\"1,1,5,5\" FontSize=\"12px\"/>", "12px",
         "error: FontSize \"12px\" is not a whole number; the library reads it as 12"},
        {"<LabelItem>", "<LabelItem>\n<Item Name=\"c\" Pos=\"1,1,5,5\" FontColor=\"#FF0000\"/>", "#FF0000",
         "error: FontColor \"#FF0000\" is not a hexadecimal colour; the library reads no colour and uses black"},
        {"FontColor=\"FFFFFF\"", "FontColor=\"FF00GG\"", "FF00GG",
         "error: FontColor \"FF00GG\" is not a hexadecimal colour; the library reads only its first hexadecimal "
         "digits, \"FF00\", as the colour 00FF00"},
        {"FontColor=\"FFFFFF\"", "FontColor=\"FFF\"", "\"FFF\"",
         "warning: FontColor \"FFF\" has three digits and is read as 000FFF (red FF, green 0F, blue 00)"},
        {"<LabelItem>", "<LabelItem>\n<Item Name=\"f\" Pos=\"1,1,5,5\" FontName=\"No Such Face Tessaly\"/>", "No Such",
         "warning: FontName \"No Such Face Tessaly\" is not an installed font face"},
        {"<LabelItem>", "<LabelItem>\n<Item Name=\"d\" Pos=\"1,2,3\"/>", "1,2,3",
         "error: Pos \"1,2,3\" is not x,y,width,height; the library reads 1,2,3,0"},
        // Files.
        {"<LabelItem>", "<LabelItem>\n<Item Name=\"e\" Pos=\"1,1,5,5\" Cursor=\"skin\\none.cur\"/>", "none.cur",
         "error: cursor \"skin\\none.cur\" (Cursor) not found"},
        {"<ButtonItem>", "<ButtonItem>\n<Item ID=\"IDOK\" Pos=\"1,1,5,5\" Out=\"skin\\BUTTON_NORMAL.png\"/>",
         "BUTTON_NORMAL", "error: image \"skin\\BUTTON_NORMAL.png\" (Out) not found (file names are case-sensitive"},
        {"Out=\"skin\\logo.png\"", "Out=\"/usr/share/tessaly/logo.png\"", "/usr/share",
         "error: image \"/usr/share/tessaly/logo.png\" (Out) not found: file names are relative to the Config/ folder"},
        {"<ButtonItem>", "<ButtonItem>\n<Item ID=\"IDOK\" Pos=\"1,1,5,5\" Icon=\"orvane.cfg\"/>", "orvane.cfg",
         "error: icon \"orvane.cfg\" (Icon) cannot be decoded"},
        {"Data=\"skin\\background.png\"", "Data=\"skin\\back600x400.png\"", "back600x400",
         "warning: BackBmp image is 600x400 but SheetSize (line"},
        {"Data=\"skin\\check.png\"", "Data=\"skin\\strip112x16.png\"", "strip112x16",
         "warning: CheckBtnBmp strip is 112x16, which looks like 7 square cells of 16, but the library cuts every "
         "strip into 8 cells, here 14x16 each"},
        // The browser.
        {"<Item ItemID=\"ITEM1\" Pos=\"12,52,616,368\"/>", "", "<PosInfo>",
         "error: no placement ITEM1 for the browser, so it stays where the template puts it, at 0,0 411x286: it "
         "covers the caption band"},
        {"ItemID=\"ITEM1\"", "ItemID=\"Item1\"", "Item1",
         "error: placement \"Item1\" is not \"ITEM1\": item ids are case-sensitive"},
        {"Pos=\"12,52,616,368\"", "Pos=\"12,52,616,420\"", "616,420",
         "error: the browser (ITEM1) reaches under label 2"},
        {"<LabelItem>", "<LabelItem>\n<Item Name=\"on\" Pos=\"100,100,80,20\"/>", "\"on\"",
         "error: label 1 (\"on\") lies on the browser's page (ITEM1 at 12,52 to 628,420, line"},
        {"<ButtonItem>", "<ButtonItem>\n<Item ID=\"IDOK\" Name=\"on\" Pos=\"100,100,80,20\"/>", "\"on\"",
         "error: button 1 (\"on\") lies on the browser's page"},
        // Controls among themselves.
        {"<LabelItem>", "<LabelItem>\n<Item Name=\"far\" Pos=\"5000,5000,40,40\"/>", "far",
         "error: label 1 (\"far\") reaches outside the"},
        {"<ButtonItem>", "<ButtonItem>\n<Item ID=\"IDYES\" Pos=\"100,100,20,20\"/>\n<Item ID=\"IDNO\" Pos=\"110,110,20,20\"/>",
         "IDNO", "error: button 2 (\"IDNO\") overlaps button 1 (\"IDYES\") (line"},
        {"<LabelItem>", "<LabelItem>\n<Item Name=\"under\" Pos=\"500,440,60,20\"/>", "\"under\"",
         "warning: label 1 (\"under\") overlaps button 1 (\"Cancel\") (line"},
        {"<PictureItem>", "<PictureItem>\n<Item Pos=\"60,8,24,24\" Out=\"skin\\logo.png\"/>", "60,8",
         "warning: picture 1 overlaps label 1 (\"Tessaly\") (line"},
        {"<PictureItem>", "<PictureItem>\n<Item Pos=\"100,100,30,30\" Out=\"skin\\logo.png\"/>", "30,30",
         "warning: picture 1: its image is 24x24 but its Pos is 30x30"},
        // Buttons.
        {"<ButtonItem>", "<ButtonItem>\n<Item ID=\"CLOSED\" Pos=\"1,1,5,5\"/>", "CLOSED",
         "warning: button 1 (\"CLOSED\") has the ID \"CLOSED\", which is no action, so clicking it does nothing "
         "(did you mean \"CLOSE\"?)"},
        {"ID=\"IDCANCEL\" ", "", "Name=\"Cancel\"", "warning: button 1 (\"Cancel\") has no ID, so clicking it does nothing"},
        {"Out=\"skin\\button_normal.png\" In=", "In=", "button_hover",
         "warning: button 1 (\"Cancel\") has In but no Out: without a normal face"},
        {"<ButtonItem>",
         "<ButtonItem>\n<Item ID=\"IDOK\" Pos=\"300,10,88,28\" Out=\"skin\\faces120x40.png\" In=\"skin\\faces120x40.png\"/>",
         "faces120x40",
         "warning: button 1 (\"IDOK\"): its face images (Out 120x40, In 120x40) differ from its Pos, 88x28: the "
         "library squeezes each face to 88x28"},
        // Text that does not fit.
        {"Pos=\"44,8,90,24\" FontSize=\"16\"", "Pos=\"44,8,90,18\" FontSize=\"40\"", "FontSize=\"40\"",
         "warning: label 1 (\"Tessaly\"): a line of its 40-pixel font (its FontSize) is"},
        {"Pos=\"16,442,480,24\"", "Pos=\"16,442,120,24\"", "16,442,120,24",
         "warning: label 2 (\"Preparing a secure connection to your ne\"): its text needs"},
        {"Pos=\"528,438,96,30\"", "Pos=\"528,438,30,30\"", "528,438,30,30",
         "warning: button 1 (\"Cancel\"): its caption needs"},
        // Structure.
        {"<LabelItem>", "<Labelitem/>\n<LabelItem>", "Labelitem", "warning: <Labelitem> is read as <LabelItem>"},
        {"</CommonWindow>", "</CommonWindw>", "</CommonWindw>", "error: "},
        // orvane.cfg.
        {"", nullptr, nullptr, "error: not found: PreLogin has no login address", "orvane.cfg"},
        {"VomoLoginUrl=http:", "VomoLoginUrl=htp:", "htp:",
         "error: VomoLoginUrl \"htp://127.0.0.1:8470/login\" is not an absolute http or https address (its scheme "
         "\"htp\" is neither http nor https): every sign-in fails with -1",
         "orvane.cfg"},
        {"VomoLoginUrl=", "VomoLogonUrl=", "VomoLogonUrl",
         "error: unknown key VomoLogonUrl in [WebUrl] is never read (did you mean \"VomoLoginUrl\"?)", "orvane.cfg"},
        {"VomoLoginUrl=", "VomoLogonUrl=", "[WebUrl]", "error: no VomoLoginUrl in [WebUrl]", "orvane.cfg"},
        {"PreLoginFromInternet=http://127.0.0.1:8470/prelogin/exchange", "", "[WebUrl]",
         "warning: no PreLoginFromInternet in [WebUrl]: the sign-in helper window gets no address", "orvane.cfg"},
        {"http://127.0.0.1:8470/login", "http://login.example.net/login", "login.example",
         "warning: VomoLoginUrl uses plain http to login.example.net: the login request carries the user's password "
         "in its address, so it crosses the network unencrypted; use https://login.example.net/login",
         "orvane.cfg"},
        {"http://127.0.0.1:8470/prelogin", "http://exchange.example.net/prelogin", "exchange.example",
         "warning: PreLoginFromInternet uses plain http to exchange.example.net: the machine identity", "orvane.cfg"},
        {"VomoLoginUrl=http://127.0.0.1:8470/login", longAddress.c_str(), "VomoLoginUrl",
         "error: VomoLoginUrl is 1122 characters long; the library reads only its first 1023", "orvane.cfg"},
        {"[WebUrl]", "[WebUrls]", "[WebUrls]",
         "error: unknown section [WebUrls]: nothing under it is read (did you mean \"WebUrl\"?)", "orvane.cfg"},
        {"/prelogin/exchange", "/prelogin/exchange\n[weburl]", "[weburl]",
         "warning: a second [weburl] is never read: only the first section of a name is searched (line 2)",
         "orvane.cfg"},
        {"; Login service", "VomoLoginUrl=http://127.0.0.1:1/login\n; Login service", "8470/login",
         "warning: VomoLoginUrl is given twice; the first one counts", "orvane.cfg"},
        {"; Login service", "Login service", "Login service",
         "warning: this line is ignored: it is neither a [section], a key=value entry nor a comment", "orvane.cfg"},
        {"; Tessaly product", "VomoLoginUrl=http://127.0.0.1:1/login\n; Tessaly product", nullptr,
         "error: VomoLoginUrl stands before the first [section] and is never read", "orvane.cfg"},
        // Parvex.cfg.
        {"[COMMON]", "[COMMON", "[COMMON", "error: section header \"[COMMON\" has no closing \"]\"", "Parvex.cfg"},
        {"ForceGetPcid=0", "ForceGetPcid=no", "=no",
         "warning: ForceGetPcid \"no\" is not a whole number; the library reads it as 0", "Parvex.cfg"},
        {"[Identity]", "[Identity]\nForceGetPcid=1", "=1",
         "error: ForceGetPcid is read from [COMMON]; under [Identity] it is never read", "Parvex.cfg"},
        {"OemID=TSL-OEM-01", longCode.c_str(), "OemID",
         "error: OemID is 1100 characters long; Parvex.so hands over at most 255", "Parvex.cfg"},
        {"OemID=TSL-OEM-01", "OemID=TSL-OEM-01 ; the vendor", "OemID",
         "warning: OemID \"TSL-OEM-01 ; the vendor\" holds a comment after the value", "Parvex.cfg"},
        {"AreaCode=0571", "AreaCode=", "AreaCode", "warning: AreaCode is empty: the exchange receives an empty area code",
         "Parvex.cfg"},
        {"AreaCode=0571", "AreaCode=0571\nVCC=7", "VCC",
         "warning: VCC is read only by Parvex.so's VCC export, which the library never calls", "Parvex.cfg"},
    };
    for (const Mistake& m : mistakes) {
        SCOPED_TRACE(m.expected);
        BrokenCopy copy(m.file, m.from, m.to);
        const test::CommandRun run = RunChecker(copy.dir.file("Config"));
        const std::string place = copy.dir.file(std::string("Config/") + m.file) + ":" +
                                  std::to_string(copy.LineOf(m.marker)) + ": ";
        EXPECT_NE(run.output.find(place + m.expected), std::string::npos) << run.output;
        const bool isError = std::string_view(m.expected).starts_with("error");
        EXPECT_EQ(run.exitCode, isError ? 1 : 0) << run.output;
    }
}

TEST(SkinCheck, AHighResolutionCompanionMustBeTwiceItsImage)
{
    BrokenCopy copy("VomoLoginCfg.xml", "<PictureItem>", "<PictureItem>");  // the shipped file as it is
    copy.dir.SolidPng("Config/skin/logo@2x.png", 40, 48, 0x336699);
    const test::CommandRun run = RunChecker(copy.dir.file("Config"));
    const std::string place = copy.dir.file("Config/VomoLoginCfg.xml") + ":" + std::to_string(copy.LineOf("logo.png")) + ": ";
    EXPECT_NE(run.output.find(place + "warning: image \"skin\\logo.png\" (Out): its high-resolution companion "
                                      "\"logo@2x.png\" is 40x48, not twice its size (48x48)"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(run.exitCode, 0);
}

}  // namespace
}  // namespace tessaly
