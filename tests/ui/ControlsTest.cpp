// The skin's controls drawn into image surfaces, and their state decisions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "controls/CLabel.h"
#include "controls/CZelBmpButton.h"
#include "controls/CZelRadioButton.h"
#include "toolkit/gtk/ImageHelpers.h"
#include "toolkit/gtk/TextDrawing.h"
#include "ui/UiTestSupport.h"

namespace tessaly {
namespace {

using test::ColorAt;
using test::FromRgb;
using test::Pixel;
using test::PixelAt;

// A background whose red channel is the column and green channel the row, so a copy of any part of
// it tells where it came from.
SurfacePtr CoordinateBackground(int width, int height)
{
    SurfacePtr s = MakeSolidSurface(width, height, 0);
    CairoPtr cr(cairo_create(s.get()));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            cairo_rectangle(cr.get(), x, y, 1, 1);
            cairo_set_source_rgb(cr.get(), x / 255.0, y / 255.0, 0.5);
            cairo_fill(cr.get());
        }
    return s;
}

bool IsReddish(const Pixel& p) { return p.r > 150 && p.g < 90 && p.b < 90; }

// ---- label -------------------------------------------------------------------------------------

TEST(LabelPainting, SnapshotIsThePartOfTheBackgroundUnderTheLabel)
{
    SurfacePtr back = CoordinateBackground(100, 60);
    CLabel label;
    label.Move({30, 20, 70, 40});
    label.CaptureBackground(test::Shared(back));
    SurfacePtr out = MakeSolidSurface(40, 20, 0xFFFFFF);
    CairoPtr cr(cairo_create(out.get()));
    test::Paint(label, cr.get(), 40, 20);
    EXPECT_EQ(PixelAt(out.get(), 0, 0), PixelAt(back.get(), 30, 20));
    EXPECT_EQ(PixelAt(out.get(), 39, 19), PixelAt(back.get(), 69, 39));

    label.Move({90, 50, 130, 70});  // reaches past the background's corner
    label.CaptureBackground(test::Shared(back));
    test::Paint(label, cr.get(), 40, 20);
    EXPECT_EQ(PixelAt(out.get(), 9, 9), PixelAt(back.get(), 99, 59));
    EXPECT_EQ(ColorAt(out.get(), 10, 10), kButtonFace);
}

TEST(LabelPainting, TextIsDrawnInItsColourOverTheSnapshot)
{
    SurfacePtr back = MakeSolidSurface(120, 30, 0xFFFFFF);
    CLabel label;
    label.Move({0, 0, 120, 30});
    label.CaptureBackground(test::Shared(back));
    label.m_strText = u"MMMM";
    label.m_crText = 0x0000FF;  // red in the low byte
    SurfacePtr out = MakeSolidSurface(120, 30, 0x00FF00);
    CairoPtr cr(cairo_create(out.get()));
    test::Paint(label, cr.get(), 120, 30);
    EXPECT_GT(test::CountPixels(out.get(), IsReddish), 20);
    EXPECT_EQ(test::CountPixels(out.get(), [](const Pixel& p) { return p.Color() == FromRgb(0x00FF00); }), 0)
        << "the snapshot covers the whole label";
}

class LabelHover : public ::testing::Test {
protected:
    void SetUp() override
    {
        normal = toolkit::LoadImageFile(dir.SolidPng("n.png", 10, 10, 0x0000FF));
        hover = toolkit::LoadImageFile(dir.SolidPng("h.png", 10, 10, 0xFF0000));
        label.Move({0, 0, 40, 20});
        label.CaptureBackground(test::Shared(MakeSolidSurface(40, 20, 0xFFFFFF)));
        label.m_ptImage = {{{5, 5}, {5, 5}}};
    }
    ZelColor ImageColour()
    {
        SurfacePtr out = MakeSolidSurface(40, 20, 0);
        CairoPtr cr(cairo_create(out.get()));
        test::Paint(label, cr.get(), 40, 20);
        return ColorAt(out.get(), 8, 8);
    }
    test::ImageFolder dir;
    toolkit::Image normal, hover;
    CLabel label;
};

TEST_F(LabelHover, MouseOverShowsHoverImageAndLeavingShowsNormal)
{
    label.m_pImage[0] = std::move(normal);
    label.m_pImage[1] = std::move(hover);
    EXPECT_EQ(ImageColour(), FromRgb(0x0000FF));
    label.OnMouseMove(3, 3);
    EXPECT_EQ(label.m_nHover, 1);
    EXPECT_EQ(ImageColour(), FromRgb(0xFF0000));
    label.OnMouseLeave();
    EXPECT_EQ(ImageColour(), FromRgb(0x0000FF));
}

TEST_F(LabelHover, WithoutNormalImageHoverStaysUntilClicked)
{
    label.m_pImage[1] = std::move(hover);
    label.OnMouseMove(1, 1);
    label.OnMouseLeave();
    EXPECT_EQ(label.m_nHover, 1);
    label.OnLButtonDown(1, 1, false);
    EXPECT_EQ(label.m_nHover, 0);
}

// ---- bitmap button -----------------------------------------------------------------------------

class BmpButton : public ::testing::Test {
protected:
    static constexpr std::uint32_t kNormal = 0x0000FF, kHover = 0x00FF00, kPressed = 0xFF0000, kDisabled = 0x777777;

    void SetUp() override { button.Move({0, 0, 60, 24}); }

    void LoadAll()
    {
        button.LoadStateImages(dir.SolidPng("n.png", 8, 8, kNormal), dir.SolidPng("h.png", 8, 8, kHover),
                               dir.SolidPng("p.png", 8, 8, kPressed), dir.SolidPng("d.png", 8, 8, kDisabled));
    }
    SurfacePtr Draw(int w = 60, int h = 24)
    {
        SurfacePtr out = MakeSolidSurface(w, h, 0xFFFFFF);
        CairoPtr cr(cairo_create(out.get()));
        test::Paint(button, cr.get(), w, h);
        return out;
    }
    test::ImageFolder dir;
    CZelBmpButton button;
};

TEST_F(BmpButton, EachStateShowsItsImage)
{
    LoadAll();
    EXPECT_EQ(ColorAt(Draw().get(), 30, 12), FromRgb(kNormal));
    button.OnMouseMove(5, 5);
    EXPECT_EQ(ColorAt(Draw().get(), 30, 12), FromRgb(kHover));
    button.m_bChecked = true;
    EXPECT_EQ(ColorAt(Draw().get(), 30, 12), FromRgb(kPressed));
    button.SetEnabled(false);
    EXPECT_EQ(ColorAt(Draw().get(), 30, 12), FromRgb(kDisabled)) << "disabled wins over hover and checked";
    button.SetEnabled(true);
    button.m_bChecked = false;
    button.OnMouseLeave();
    EXPECT_EQ(ColorAt(Draw().get(), 30, 12), FromRgb(kNormal));
}

TEST_F(BmpButton, PressedWhileHeldInside)
{
    LoadAll();
    button.OnLButtonDown(5, 5, false);
    EXPECT_EQ(ColorAt(Draw().get(), 30, 12), FromRgb(kPressed));
    button.OnMouseMove(200, 5);
    EXPECT_EQ(ColorAt(Draw().get(), 30, 12), FromRgb(kNormal));
}

TEST_F(BmpButton, MissingStateImagesFallBackToNormal)
{
    button.LoadStateImages(dir.SolidPng("n.png", 8, 8, kNormal), dir.wide("none.png"), std::u16string_view{},
                           std::nullopt);
    button.m_bHover = true;
    EXPECT_EQ(ColorAt(Draw().get(), 30, 12), FromRgb(kNormal));
    button.SetEnabled(false);
    EXPECT_EQ(ColorAt(Draw().get(), 30, 12), FromRgb(kNormal));
}

TEST_F(BmpButton, NoNormalPathLoadsNothingAndDrawsNoFace)
{
    LoadAll();
    EXPECT_FALSE(button.LoadStateImages(std::nullopt, dir.SolidPng("h.png", 8, 8, kHover), std::nullopt, std::nullopt));
    EXPECT_EQ(ColorAt(Draw().get(), 30, 12), FromRgb(0xFFFFFF));
    EXPECT_EQ(toolkit::SurfaceOf(button.CachedFace(kFaceNormal)), nullptr);
}

TEST_F(BmpButton, FacesAreCachedPerStateAndRebuiltOnResizeOrReload)
{
    button.LoadStateImages(dir.Png("split.png", 10, 10, [](int x, int) { return x < 5 ? 0xFF0000FFu : 0xFFFF0000u; }),
                           std::nullopt, std::nullopt, std::nullopt);
    Draw(60, 24);
    cairo_surface_t* first = toolkit::SurfaceOf(button.CachedFace(kFaceNormal));
    ASSERT_NE(first, nullptr);
    Draw(60, 24);
    EXPECT_EQ(toolkit::SurfaceOf(button.CachedFace(kFaceNormal)), first);
    SurfacePtr bigger = Draw(120, 40);
    ASSERT_NE(toolkit::SurfaceOf(button.CachedFace(kFaceNormal)), nullptr);
    EXPECT_EQ(cairo_image_surface_get_width(toolkit::SurfaceOf(button.CachedFace(kFaceNormal))), 120);
    EXPECT_EQ(ColorAt(bigger.get(), 118, 38), FromRgb(0xFF0000)) << "the image is stretched again";
    LoadAll();
    EXPECT_EQ(toolkit::SurfaceOf(button.CachedFace(kFaceNormal)), nullptr);
}

TEST_F(BmpButton, DisabledTextIsGreyAndEnabledTextUsesItsColour)
{
    button.m_strText = u"MMMM";
    button.m_crText = 0x0000FF;
    button.SetFont({});
    auto grey = [](const Pixel& p) { return p.r == p.g && p.g == p.b && p.r >= 0x80 && p.r < 0xC0; };
    SurfacePtr enabled = Draw(100, 30);
    EXPECT_GT(test::CountPixels(enabled.get(), IsReddish), 10);
    EXPECT_EQ(test::CountPixels(enabled.get(), grey), 0);
    button.SetEnabled(false);
    button.m_bHover = true;
    SurfacePtr disabled = Draw(100, 30);
    EXPECT_GT(test::CountPixels(disabled.get(), grey), 10);
    EXPECT_EQ(test::CountPixels(disabled.get(), IsReddish), 0);
}

TEST_F(BmpButton, IconSitsLeftOfTheMeasuredText)
{
    button.LoadIconImage(dir.SolidPng("icon.png", 16, 16, 0x00FF00));
    button.m_strText = u"Sign in";
    button.SetFont({});
    ZelRect text;
    MeasureTextRect(button.m_strText, 100, &text, toolkit::DescriptionOf(button.TextFont()));
    const int iconX = (100 - text.Width() - 16 - 2) / 2;
    SurfacePtr out = Draw(100, 30);
    EXPECT_EQ(ColorAt(out.get(), iconX, 15), FromRgb(0x00FF00));
    EXPECT_EQ(ColorAt(out.get(), iconX + 15, 15), FromRgb(0x00FF00));
    EXPECT_NE(ColorAt(out.get(), iconX - 1, 15), FromRgb(0x00FF00));
    EXPECT_EQ(ColorAt(out.get(), iconX, 6), FromRgb(0xFFFFFF)) << "icon centred vertically: rows 7 to 22";
}

TEST_F(BmpButton, UndecodableIconIsDroppedAndTextStandsAlone)
{
    EXPECT_TRUE(button.LoadIconImage(dir.Write("icon.ico", "junk")));
    EXPECT_FALSE(button.m_pIcon);
}

TEST_F(BmpButton, FocusMarkOnlyWhenAskedFor)
{
    LoadAll();
    button.m_bFocusForPaint = true;
    EXPECT_EQ(ColorAt(Draw().get(), 3, 3), FromRgb(kNormal));
    button.m_bDrawFocus = true;
    SurfacePtr focused = Draw();
    EXPECT_EQ(ColorAt(focused.get(), 3, 3), 0u) << "dotted mark 3 pixels inside the edge";
    EXPECT_EQ(ColorAt(focused.get(), 4, 3), 0xFFFFFFu) << "in two tones";
    EXPECT_EQ(ColorAt(focused.get(), 2, 2), FromRgb(kNormal));

    // The mark shows on any face: on black and on white faces alike half of its pixels stand out.
    for (std::uint32_t face : {0x000000u, 0xFFFFFFu, 0x808080u}) {
        button.LoadStateImages(dir.SolidPng("face.png", 8, 8, face), std::nullopt, std::nullopt, std::nullopt);
        SurfacePtr out = Draw();
        int contrasting = 0;
        for (int x = 3; x < 57; ++x) {
            const Pixel p = PixelAt(out.get(), x, 3);
            contrasting += std::abs(static_cast<int>(p.r) - static_cast<int>(face >> 16)) > 100 ? 1 : 0;
        }
        EXPECT_GE(contrasting, 26) << std::hex << face;
    }
}

// ---- check and radio button ----------------------------------------------------------------------

class RadioStrip : public ::testing::Test {
protected:
    // Eight 20x20 cells of distinct greys (cell i = 0x101010 * (i + 1)), each with a magenta corner.
    std::u16string Strip(int width = 160)
    {
        return dir.Png("strip.png", width, 20, [width](int x, int y) {
            const int cell = x / (width / 8);
            if (x % (width / 8) == 0 && y == 0)
                return 0xFFFF00FFu;
            return 0xFF000000u | (0x101010u * static_cast<std::uint32_t>(cell + 1));
        });
    }
    SurfacePtr Draw()
    {
        SurfacePtr out = MakeSolidSurface(100, 20, 0xFFFFFF);
        CairoPtr cr(cairo_create(out.get()));
        test::Paint(radio, cr.get(), 100, 20);
        return out;
    }
    test::ImageFolder dir;
    CZelRadioButton radio{CZelRadioButton::kCheckBox};
};

TEST_F(RadioStrip, CellsComeFromTheStripAndMagentaIsTransparent)
{
    radio.Move({10, 0, 110, 20});
    radio.CaptureBackground(test::Shared(MakeSolidSurface(200, 40, 0x00AA00)));
    radio.LoadImageStrip(Strip());
    EXPECT_EQ(radio.m_nImageWidth, 20);
    SurfacePtr out = Draw();
    EXPECT_EQ(ColorAt(out.get(), 10, 10), FromRgb(0x101010));
    EXPECT_EQ(ColorAt(out.get(), 0, 0), FromRgb(0x00AA00)) << "the background shows through magenta";
    radio.SetChecked(true);
    EXPECT_EQ(ColorAt(Draw().get(), 10, 10), FromRgb(0x505050));
    radio.SetEnabled(false);
    EXPECT_EQ(ColorAt(Draw().get(), 10, 10), FromRgb(0x808080));
}

TEST_F(RadioStrip, NarrowStripRoundsCellWidthDownAndBadFileKeepsOldStrip)
{
    radio.LoadImageStrip(Strip(100));
    EXPECT_EQ(radio.m_nImageWidth, 12);
    cairo_surface_t* before = toolkit::SurfaceOf(radio.m_imageList);
    radio.LoadImageStrip(dir.wide("none.png"));
    EXPECT_EQ(toolkit::SurfaceOf(radio.m_imageList), before);
    EXPECT_EQ(radio.m_nImageWidth, 12);
}

TEST_F(RadioStrip, AtScaleTwoTheKeyGoesBeforeScalingAndACompanionIsShownAsItIs)
{
    radio.Move({0, 0, 100, 20});
    radio.CaptureBackground(test::Shared(MakeSolidSurface(100, 20, 0x00AA00, 2)));
    auto draw = [&] {
        SurfacePtr out = MakeSolidSurface(100, 20, 0xFFFFFF, 2);
        CairoPtr cr(cairo_create(out.get()));
        test::Paint(radio, cr.get(), 100, 20);
        return out;
    };
    radio.LoadImageStrip(Strip(), 2);
    EXPECT_EQ(radio.m_nImageWidth, 20);
    EXPECT_EQ(radio.m_imageList.Scale(), 2);
    // Scaled up, the magenta corners leave no pink fringe: they were transparent before the scaling.
    EXPECT_EQ(test::CountPixels(draw().get(), [](const Pixel& p) { return p.r > p.g + 40 && p.b > p.g + 40; }), 0);
    dir.Png("strip@2x.png", 320, 40, [](int x, int y) {
        return x % 40 == 0 && y == 0 ? 0xFFFF00FFu : (x + y) % 2 ? 0xFF202020u : 0xFF404040u;
    });
    radio.LoadImageStrip(dir.wide("strip.png"), 2);
    const SurfacePtr out = draw();
    EXPECT_EQ(ColorAt(out.get(), 10, 10), FromRgb(0x404040)) << "the companion's own pixels";
    EXPECT_EQ(ColorAt(out.get(), 11, 10), FromRgb(0x202020));
    EXPECT_EQ(ColorAt(out.get(), 0, 0), FromRgb(0x00AA00));
}

TEST_F(RadioStrip, TextWithoutColourIsBlack)
{
    radio.m_strText = u"MMMM";
    SurfacePtr out = Draw();
    EXPECT_GT(test::CountPixels(out.get(), [](const Pixel& p) { return p.r < 60 && p.g < 60 && p.b < 60; }), 5);
}

}  // namespace
}  // namespace tessaly
