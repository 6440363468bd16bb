// The preview tool renders the shipped skin without anyone at the keyboard.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "ui/UiTestSupport.h"

namespace tessaly {
namespace {

int RunCommand(const std::string& command) { return test::RunCommand(command).exitCode; }

const std::string kTool = std::string(TESSALY_OUT_DIR) + "/tessaly-skin-preview";

TEST(SkinPreview, RendersTheShippedSkinAtItsSheetSize)
{
    test::ImageFolder dir;
    const std::string png = dir.file("skin.png");
    ASSERT_EQ(RunCommand(kTool + " --config " TESSALY_OUT_DIR "/Config --section PreLoginFromInternetInfo --out " + png), 0);
    SurfacePtr image(cairo_image_surface_create_from_png(png.c_str()));
    ASSERT_EQ(cairo_surface_status(image.get()), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(image.get()), 640);
    EXPECT_EQ(cairo_image_surface_get_height(image.get()), 480);
    // Not a blank sheet: the title band is darker than the body.
    const test::Pixel band = test::PixelAt(image.get(), 300, 20), body = test::PixelAt(image.get(), 300, 460);
    EXPECT_LT(band.r + band.g + band.b, body.r + body.g + body.b);
    // At 200 % the window's own device pixels.
    ASSERT_EQ(RunCommand("GDK_SCALE=2 " + kTool + " --config " TESSALY_OUT_DIR
                         "/Config --section PreLoginFromInternetInfo --out " + png), 0);
    image.reset(cairo_image_surface_create_from_png(png.c_str()));
    EXPECT_EQ(cairo_image_surface_get_width(image.get()), 1280);
    EXPECT_EQ(cairo_image_surface_get_height(image.get()), 960);
}

TEST(SkinPreview, BadArgumentsAndNoDisplayAreReported)
{
    test::ImageFolder dir;
    EXPECT_EQ(RunCommand(kTool + " --config x 2>/dev/null"), 1);
    EXPECT_EQ(RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY " + kTool + " --config " TESSALY_OUT_DIR
                  "/Config --section PreLoginFromInternetInfo --out " + dir.file("x.png") + " 2>/dev/null"), 2);
    const test::CommandRun unknown = test::RunningCommand(kTool + " --config " TESSALY_OUT_DIR
                                                          "/Config --section PreLoginFromInternet --out " +
                                                          dir.file("y.png")).Await();
    EXPECT_EQ(unknown.exitCode, 4);
    EXPECT_NE(unknown.output.find("the file has VomoLogin, PreLoginFromInternetInfo"), std::string::npos)
        << unknown.output;
    EXPECT_FALSE(std::filesystem::exists(dir.file("y.png")));
}

// Cells of the contact sheet by name ("button 3 \"IDCANCEL\" hover"), from the tool's listing.
std::map<std::string, ZelRect> ReadCells(const std::string& listing)
{
    std::map<std::string, ZelRect> cells;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        const auto space = line.rfind(' ');
        int x = 0, y = 0, w = 0, h = 0;
        if (space != std::string::npos && std::sscanf(line.c_str() + space + 1, "%d,%d,%d,%d", &x, &y, &w, &h) == 4)
            cells[line.substr(0, space)] = ZelRect{x, y, x + w, y + h};
    }
    return cells;
}

// How many pixels of two equally sized cells differ.
int DifferingPixels(cairo_surface_t* image, const ZelRect& a, const ZelRect& b)
{
    int differ = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            differ += test::PixelAt(image, a.left + x, a.top + y) == test::PixelAt(image, b.left + x, b.top + y) ? 0 : 1;
    return differ;
}

TEST(SkinPreview, StatesShowEveryFaceOfEachButtonAndEveryStripCell)
{
    test::ImageFolder dir;
    const std::string png = dir.file("states.png");
    const test::CommandRun run = test::RunCommand(
        kTool + " --config " TESSALY_OUT_DIR "/Config --section PreLoginFromInternetInfo --states --out " + png);
    ASSERT_EQ(run.exitCode, 0);
    SurfacePtr image(cairo_image_surface_create_from_png(png.c_str()));
    ASSERT_EQ(cairo_surface_status(image.get()), CAIRO_STATUS_SUCCESS);
    const auto cells = ReadCells(run.output);
    for (const auto& [name, rect] : cells) {
        EXPECT_GT(rect.Width(), 0) << name;
        EXPECT_LE(rect.right, cairo_image_surface_get_width(image.get())) << name;
        EXPECT_LE(rect.bottom, cairo_image_surface_get_height(image.get())) << name;
    }
    // The shipped Cancel button has four images of its own and draws a focus mark.
    const auto normal = std::find_if(cells.begin(), cells.end(), [](const auto& cell) {
        return cell.first.starts_with("button ") && cell.first.ends_with(" \"IDCANCEL\" normal");
    });
    ASSERT_NE(normal, cells.end()) << run.output;
    const std::string cancel = normal->first.substr(0, normal->first.size() - 6);
    for (const char* face : {"hover", "pressed", "disabled", "focused"})
        EXPECT_GT(DifferingPixels(image.get(), cells.at(cancel + "normal"), cells.at(cancel + face)), 0) << face;
    for (const char* strip : {"check cell ", "radio cell "}) {
        ASSERT_TRUE(cells.count(std::string(strip) + "checked-normal")) << run.output;
        EXPECT_GT(DifferingPixels(image.get(), cells.at(std::string(strip) + "unchecked-normal"),
                                  cells.at(std::string(strip) + "checked-normal")), 0) << strip;
        EXPECT_GT(DifferingPixels(image.get(), cells.at(std::string(strip) + "unchecked-normal"),
                                  cells.at(std::string(strip) + "unchecked-disabled")), 0) << strip;
    }
}

// A strip whose cells fade out at their edges (white at alpha 16) shows those pixels blended over the
// background, as the window does, never as a magenta fringe.
TEST(SkinPreview, StatesBlendHalfTransparentStripPixels)
{
    test::ImageFolder dir;
    std::filesystem::copy(TESSALY_OUT_DIR "/Config", dir.file("Config"), std::filesystem::copy_options::recursive);
    std::filesystem::remove(dir.file("Config/skin/check.png"));
    dir.Png("Config/skin/check.png", 128, 16, [](int x, int y) {
        const bool edge = x % 16 == 0 || x % 16 == 15 || y == 0 || y == 15;
        return edge ? 0x10FFFFFFu : 0xFF204080u;
    });
    const std::string png = dir.file("states.png");
    const test::CommandRun run = test::RunCommand(kTool + " --config " + dir.file("Config") +
                                                  " --section PreLoginFromInternetInfo --states --out " + png);
    ASSERT_EQ(run.exitCode, 0);
    SurfacePtr image(cairo_image_surface_create_from_png(png.c_str()));
    const ZelRect cell = ReadCells(run.output).at("check cell unchecked-normal");
    const test::Pixel edge = test::PixelAt(image.get(), cell.left, cell.top + 8);
    EXPECT_GE(edge.g, 230) << "not magenta: " << int(edge.r) << "," << int(edge.g) << "," << int(edge.b);
    EXPECT_LE(std::abs(int(edge.r) - int(edge.g)), 4);
}

TEST(SkinPreview, WatchRendersAgainWhenAFileOfTheFolderChanges)
{
    test::ImageFolder dir;
    std::filesystem::copy(TESSALY_OUT_DIR "/Config", dir.file("Config"), std::filesystem::copy_options::recursive);
    const std::string xml = dir.file("Config/VomoLoginCfg.xml");
    std::string edited = test::ReadFile(xml);
    const auto at = edited.find("ItemID=\"SheetSize\" Data=\"");
    ASSERT_NE(at, std::string::npos);
    edited.replace(at, edited.find('"', at + 26) - at, "ItemID=\"SheetSize\" Data=\"321,123");

    // The second render follows the edit made once the first is out; `timeout` bounds the wait.
    const std::string png = dir.file("live.png");
    test::RunningCommand tool("timeout 120 " + kTool + " --config " + dir.file("Config") +
                                  " --section PreLoginFromInternetInfo --watch --max-renders 2 --out " + png,
                              false);
    EXPECT_EQ(tool.ReadLine(), "rendered 1: " + png + "\n");
    std::ofstream(xml, std::ios::trunc) << edited;
    const test::CommandRun rest = tool.Await();
    EXPECT_EQ(rest.exitCode, 0);
    EXPECT_EQ(rest.output, "rendered 2: " + png + "\n");
    SurfacePtr image(cairo_image_surface_create_from_png(png.c_str()));
    EXPECT_EQ(cairo_image_surface_get_width(image.get()), 321);
    EXPECT_EQ(cairo_image_surface_get_height(image.get()), 123);
}

}  // namespace
}  // namespace tessaly
