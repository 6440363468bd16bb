// The preview tool renders the shipped skin without anyone at the keyboard.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ui/UiTestSupport.h"

namespace tessaly {
namespace {

int RunCommand(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const std::string kTool = std::string(TESSALY_OUT_DIR) + "/tessaly-skin-preview";

TEST(SkinPreview, RendersTheShippedSkinAtItsSheetSize)
{
    test::TempFolder dir;
    const std::string png = dir.Path("skin.png");
    ASSERT_EQ(RunCommand(kTool + " --config " TESSALY_OUT_DIR "/Config --section PreLoginFromInternetInfo --out " + png), 0);
    SurfacePtr image(cairo_image_surface_create_from_png(png.c_str()));
    ASSERT_EQ(cairo_surface_status(image.get()), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(image.get()), 640);
    EXPECT_EQ(cairo_image_surface_get_height(image.get()), 480);
    // Not a blank sheet: the title band is darker than the body.
    const test::Pixel band = test::PixelAt(image.get(), 300, 20), body = test::PixelAt(image.get(), 300, 460);
    EXPECT_LT(band.r + band.g + band.b, body.r + body.g + body.b);
}

TEST(SkinPreview, BadArgumentsAndNoDisplayAreReported)
{
    test::TempFolder dir;
    EXPECT_EQ(RunCommand(kTool + " --config x 2>/dev/null"), 1);
    EXPECT_EQ(RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY " + kTool + " --config " TESSALY_OUT_DIR
                  "/Config --section PreLoginFromInternetInfo --out " + dir.Path("x.png") + " 2>/dev/null"), 2);
}

}  // namespace
}  // namespace tessaly
