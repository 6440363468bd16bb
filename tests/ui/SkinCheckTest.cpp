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

// A copy of the shipped folder whose VomoLoginCfg.xml has `from` replaced by `to`.
struct BrokenCopy {
    test::ImageFolder dir;
    std::string xml;
    BrokenCopy(const std::string& from, const std::string& to)
    {
        fs::copy(std::string(TESSALY_OUT_DIR) + "/Config", dir.file("Config"), fs::copy_options::recursive);
        xml = test::ReadFile(dir.file("Config/VomoLoginCfg.xml"));
        const auto at = xml.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos)
            xml.replace(at, from.size(), to);
        std::ofstream(dir.file("Config/VomoLoginCfg.xml"), std::ios::binary | std::ios::trunc) << xml;
    }
    // Line of the first occurrence of `text` in the edited file.
    int LineOf(const std::string& text) const
    {
        const auto at = xml.find(text);
        return at == std::string::npos ? -1 : 1 + static_cast<int>(std::count(xml.begin(), xml.begin() + at, '\n'));
    }
};

TEST(SkinCheck, TheShippedFolderIsClean)
{
    const test::CommandRun run = RunChecker(std::string(TESSALY_OUT_DIR) + "/Config");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "");
}

struct Mistake {
    const char* from;
    const char* to;
    const char* marker;    // text on the line the finding must name
    const char* expected;  // severity and message part
};

TEST(SkinCheck, EachMistakeIsReportedAtItsLine)
{
    const Mistake mistakes[] = {
        {"ItemID=\"LoginPatern\"", "ItemID=\"LoginPattern\"", "LoginPattern",
         "error: unknown sign-in entry \"LoginPattern\" is never looked up (did you mean \"LoginPatern\"?)"},
        {"ItemID=\"Title\"", "ItemID=\"Titel\"", "Titel", "error: unknown window entry \"Titel\""},
        {"<LabelItem>", "<LabelItem>\n<Item Name=\"a\" Pos=\"1,1,5,5\" Colour=\"FF\"/>", "Colour",
         "error: unknown attribute \"Colour\" on a label item is never read (attribute names are exact)"},
        {"<LabelItem>", "<LabelItem>\n<Item Name=\"b\" Pos=\"1,1,5,5\" FontSize=\"12px\"/>", "12px",
         "error: FontSize \"12px\" is not a whole number; the library reads it as 12"},
        {"<LabelItem>", "<LabelItem>\n<Item Name=\"c\" Pos=\"1,1,5,5\" FontColor=\"#FF0000\"/>", "#FF0000",
         "error: FontColor \"#FF0000\" is not a hexadecimal colour"},
        {"<LabelItem>", "<LabelItem>\n<Item Name=\"d\" Pos=\"1,2,3\"/>", "1,2,3",
         "error: Pos \"1,2,3\" is not x,y,width,height; the library reads 1,2,3,0"},
        {"<LabelItem>", "<LabelItem>\n<Item Name=\"e\" Pos=\"1,1,5,5\" Cursor=\"skin\\none.cur\"/>", "none.cur",
         "error: cursor \"skin\\none.cur\" (Cursor) not found"},
        {"<ButtonItem>", "<ButtonItem>\n<Item ID=\"IDOK\" Pos=\"1,1,5,5\" Out=\"skin\\BUTTON_NORMAL.png\"/>",
         "BUTTON_NORMAL", "error: image \"skin\\BUTTON_NORMAL.png\" (Out) not found (file names are case-sensitive"},
        {"<ButtonItem>", "<ButtonItem>\n<Item ID=\"IDOK\" Pos=\"1,1,5,5\" Icon=\"orvane.cfg\"/>", "orvane.cfg",
         "error: icon \"orvane.cfg\" (Icon) cannot be decoded"},
        {"<LabelItem>", "<LabelItem>\n<Item Name=\"far\" Pos=\"5000,5000,40,40\"/>", "far",
         "error: label 1 (\"far\") reaches outside the"},
        {"<ButtonItem>", "<ButtonItem>\n<Item ID=\"IDYES\" Pos=\"100,100,20,20\"/>\n<Item ID=\"IDNO\" Pos=\"110,110,20,20\"/>",
         "IDNO", "error: button 2 (\"IDNO\") overlaps button 1 (\"IDYES\") (line"},
        {"<ButtonItem>", "<ButtonItem>\n<Item ID=\"CLOSED\" Pos=\"1,1,5,5\"/>", "CLOSED",
         "warning: button 1 (\"CLOSED\") has the ID \"CLOSED\", which does nothing when clicked (did you mean \"CLOSE\"?)"},
        {"<PictureItem>", "<PictureItem>\n<Item Pos=\"100,100,30,30\" Out=\"skin\\logo.png\"/>", "30,30",
         "warning: picture 1: its image is 24x24 but its Pos is 30x30"},
        {"<LabelItem>", "<LabelItem>\n<Item Name=\"f\" Pos=\"1,1,5,5\" FontName=\"No Such Face Tessaly\"/>", "No Such",
         "warning: FontName \"No Such Face Tessaly\" is not an installed font face"},
        {"Data=\"%s?user=%s&amp;pwd=%s&amp;ip=%s\"", "Data=\"%s?user=%d&amp;pwd=%s&amp;ip=%s\"", "user=%d",
         "error: LoginPatern conversion 2 \"%d\" gets the user name, which is text: use %s"},
        {"Data=\"%s?user=%s&amp;pwd=%s&amp;ip=%s\"", "Data=\"%s?user=%s&amp;pwd=%s&amp;ip=%s&amp;t=%s\"", "t=%s",
         "error: LoginPatern conversion 5 \"%s\" has no value"},
        {"<LabelItem>", "<Labelitem/>\n<LabelItem>", "Labelitem",
         "warning: <Labelitem> is read as <LabelItem>"},
        {"</CommonWindow>", "</CommonWindw>", "</CommonWindw>", "error: "},
    };
    for (const Mistake& m : mistakes) {
        SCOPED_TRACE(m.expected);
        BrokenCopy copy(m.from, m.to);
        const test::CommandRun run = RunChecker(copy.dir.file("Config"));
        const std::string place = copy.dir.file("Config/VomoLoginCfg.xml") + ":" + std::to_string(copy.LineOf(m.marker)) + ": ";
        EXPECT_NE(run.output.find(place + m.expected), std::string::npos) << run.output;
        const bool isError = std::string_view(m.expected).starts_with("error");
        EXPECT_EQ(run.exitCode, isError ? 1 : 0) << run.output;
    }
}

}  // namespace
}  // namespace tessaly
