// Rendering image files into surfaces and laying text out.
#include <gtest/gtest.h>

#include "toolkit/gtk/ImageHelpers.h"
#include "controls/LogFont.h"
#include "toolkit/gtk/FontDescription.h"
#include "toolkit/gtk/TextDrawing.h"
#include "ui/UiTestSupport.h"

namespace tessaly {
namespace {

using test::ColorAt;
using test::FromRgb;
using test::PixelAt;

class ImageRendering : public ::testing::Test {
protected:
    test::ImageFolder dir;
};

TEST_F(ImageRendering, EmptySizeKeepsOwnSizeOtherwiseStretchesIgnoringAspect)
{
    // Left half red, right half blue, so stretching shows where each half lands.
    auto path = dir.Png("halves.png", 20, 10, [](int x, int) { return x < 10 ? 0xFFFF0000u : 0xFF0000FFu; });
    SurfacePtr own;
    LoadImageToBitmap(own, ZelRect{}, path, kNoColor);
    ASSERT_TRUE(own);
    EXPECT_EQ(cairo_image_surface_get_width(own.get()), 20);
    EXPECT_EQ(cairo_image_surface_get_height(own.get()), 10);

    SurfacePtr scaled;
    LoadImageToBitmap(scaled, ZelRect{7, 9, 107, 59}, path, kNoColor);  // position does not matter
    ASSERT_TRUE(scaled);
    EXPECT_EQ(cairo_image_surface_get_width(scaled.get()), 100);
    EXPECT_EQ(cairo_image_surface_get_height(scaled.get()), 50);
    EXPECT_EQ(ColorAt(scaled.get(), 2, 2), FromRgb(0xFF0000));
    EXPECT_EQ(ColorAt(scaled.get(), 97, 47), FromRgb(0x0000FF));
    EXPECT_EQ(PixelAt(scaled.get(), 99, 49).a, 255u) << "edges must not fade into transparency";
}

TEST_F(ImageRendering, FillColourShowsThroughTransparentPixelsOnly)
{
    auto path = dir.Png("half-clear.png", 8, 4, [](int x, int) { return x < 4 ? 0x00000000u : 0xFF00FF00u; });
    SurfacePtr filled;
    LoadImageToBitmap(filled, ZelRect{}, path, kMagenta);
    ASSERT_TRUE(filled);
    EXPECT_EQ(ColorAt(filled.get(), 1, 1), kMagenta);
    EXPECT_EQ(ColorAt(filled.get(), 6, 1), FromRgb(0x00FF00));

    SurfacePtr unfilled;
    LoadImageToBitmap(unfilled, ZelRect{}, path, kNoColor);
    EXPECT_EQ(PixelAt(unfilled.get(), 1, 1).a, 0u);
}

TEST_F(ImageRendering, FileThatCannotBeDecodedLeavesPreviousBitmap)
{
    SurfacePtr bitmap = MakeSolidSurface(3, 3, 0x123456);
    cairo_surface_t* before = bitmap.get();
    LoadImageToBitmap(bitmap, ZelRect{}, dir.wide("missing.png"), kNoColor);
    EXPECT_EQ(bitmap.get(), before);
    LoadImageToBitmap(bitmap, ZelRect{}, dir.Write("garbage.png", "this is not an image"), kNoColor);
    EXPECT_EQ(bitmap.get(), before);
    LoadImageToBitmap(bitmap, ZelRect{}, u"", kNoColor);
    EXPECT_EQ(bitmap.get(), before);
    EXPECT_EQ(ColorAt(bitmap.get(), 1, 1), 0x123456u);
}

TEST_F(ImageRendering, BackslashInConfiguredNameIsAFolderSeparator)
{
    dir.SolidPng("skin/pic.png", 4, 4, 0x00FF00);
    EXPECT_TRUE(LoadDecodedImage(dir.wide() + u"skin\\pic.png"));
}

TEST(TextLayout, MeasureWrapsAtWordsAndReportsWidestLine)
{
    WindowFont lf;
    lf.nHeight = -14;
    FontDescPtr font = MakeFontDescription(lf);
    ZelRect one, wrapped, empty;
    MeasureTextRect(u"word", 500, &one, font.get());
    MeasureTextRect(u"word word word word word word", 60, &wrapped, font.get());
    MeasureTextRect(u"", 80, &empty, font.get());
    EXPECT_GT(one.Width(), 0);
    EXPECT_LT(one.Width(), 500) << "the width shrinks to the text";
    EXPECT_LE(wrapped.Width(), 60);
    EXPECT_GE(wrapped.Height(), 3 * one.Height());
    EXPECT_EQ(empty.Height(), 0);
}

TEST(TextLayout, FaceNamesAreCutTo31CharactersAndSizesFollowTheHeight)
{
    WindowFont lf;
    SetFontFace(lf, std::u16string(40, u'x'));
    EXPECT_EQ(lf.strFaceName.size(), 31u);
    lf.nHeight = -20;
    FontDescPtr big = MakeFontDescription(lf);
    EXPECT_EQ(pango_font_description_get_size(big.get()), 20 * PANGO_SCALE);
    lf.nHeight = 0;
    FontDescPtr def = MakeFontDescription(lf);
    EXPECT_EQ(pango_font_description_get_size(def.get()), kDefaultFontPixels * PANGO_SCALE);
}

// Rows that hold any dark pixel, as bands of consecutive rows.
std::vector<std::pair<int, int>> InkBands(cairo_surface_t* s)
{
    std::vector<std::pair<int, int>> bands;
    for (int y = 0; y < cairo_image_surface_get_height(s); ++y) {
        bool ink = false;
        for (int x = 0; x < cairo_image_surface_get_width(s) && !ink; ++x)
            ink = PixelAt(s, x, y).r < 128;
        if (ink && (bands.empty() || bands.back().second != y - 1))
            bands.push_back({y, y});
        else if (ink)
            bands.back().second = y;
    }
    return bands;
}

TEST(TextLayout, LineBreaksGiveSeparateLinesAndSingleLineCentresVertically)
{
    WindowFont lf;
    lf.nHeight = -12;
    FontDescPtr font = MakeFontDescription(lf);
    auto inkOf = [&](std::u16string_view text, std::uint32_t format) {
        SurfacePtr out = MakeSolidSurface(120, 80, 0xFFFFFF);
        CairoPtr cr(cairo_create(out.get()));
        DrawTextInRect(cr.get(), text, font.get(), false, {0, 0, 120, 80}, format, 0);
        return InkBands(out.get());
    };
    auto bands = inkOf(u"Upper\r\nLower", textformat::kWordBreak | textformat::kVCenter);
    ASSERT_EQ(bands.size(), 2u);
    EXPECT_LT(bands[0].first, 6) << "vertical centring applies to single lines only";

    bands = inkOf(u"Middle", textformat::kSingleLine | textformat::kVCenter | textformat::kCenter);
    ASSERT_EQ(bands.size(), 1u);
    EXPECT_NEAR((bands[0].first + bands[0].second) / 2, 40, 6);
}

}  // namespace
}  // namespace tessaly
