// The Win32 backend's canvas: premultiplied pixels of our own, GDI text through a mask, so alpha stays
// right in composed bitmaps.
#include <gtest/gtest.h>

#include "controls/SkinColor.h"
#include "controls/TextFormat.h"
#include "toolkit/win32/PixelCanvas.h"
#include "toolkit/win32/PixelOps.h"

namespace tessaly::toolkit {
namespace {

std::uint32_t At(const Image& image, int x, int y) { return image.Data()->Row(y)[x]; }

TEST(PixelCanvas, CopiesReplaceBlendsMixAndRegionsClipAndMove)
{
    Image target = MakeSolidImage(20, 10, 0x0000FF);  // red
    Image half = NewImage(4, 4);
    std::fill(half.Data()->pixels.begin(), half.Data()->pixels.end(), 0x80000080u);  // blue at half alpha
    PixelCanvas canvas(target);
    canvas.DrawImage(half, ZelRect{0, 0, 4, 4});
    EXPECT_EQ(At(target, 1, 1), 0xFF7F0080u) << "blue over red";
    canvas.CopyImage(half, 4, 0);
    EXPECT_EQ(At(target, 5, 1), 0x80000080u) << "a copy keeps the alpha";

    canvas.PushRegion(ZelRect{10, 2, 14, 6});
    canvas.Fill(0x00FF00);
    canvas.FillRect(ZelRect{-5, -5, 100, 100}, 0x00FF00);
    canvas.PopRegion();
    EXPECT_EQ(At(target, 10, 2), OpaquePixel(0x00FF00));
    EXPECT_EQ(At(target, 13, 5), OpaquePixel(0x00FF00));
    EXPECT_EQ(At(target, 14, 5), OpaquePixel(0x0000FF)) << "clipped to the region";
    EXPECT_EQ(At(target, 9, 2), OpaquePixel(0x0000FF));
}

TEST(PixelCanvas, RegionsCopiesAndTheColourKeyWorkOnPixels)
{
    Image back = MakeSolidImage(4, 4, 0x112233);
    Image copy = CopyImageRegion(back, 2, 2, 4, 4, kButtonFace);
    EXPECT_EQ(At(copy, 1, 1), OpaquePixel(0x112233));
    EXPECT_EQ(At(copy, 2, 2), OpaquePixel(kButtonFace)) << "beyond the source";
    Image strip = MakeSolidImage(2, 1, kMagenta);
    strip.Data()->Row(0)[1] = OpaquePixel(0x010203);
    MakeColorTransparent(strip, kMagenta);
    EXPECT_EQ(At(strip, 0, 0), 0u);
    EXPECT_EQ(At(strip, 1, 0), OpaquePixel(0x010203));
    EXPECT_FALSE(MakeSolidImage(0, 5, 0));
}

TEST(PixelCanvas, TextIsDrawnInItsColourInsideItsRectangleAndMeasured)
{
    Image target = MakeSolidImage(120, 30, 0xFFFFFF);
    PixelCanvas canvas(target);
    const Font font = MakeFont(WindowFont{});
    canvas.PaintText(u"MMMM", font, false, ZelRect{10, 0, 110, 30}, textformat::kSingleLine | textformat::kVCenter,
                     0x0000FF);
    int reddish = 0, outside = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 120; ++x) {
            const std::uint32_t p = At(target, x, y);
            const bool red = ((p >> 16) & 0xFF) > 150 && ((p >> 8) & 0xFF) < 120 && (p & 0xFF) < 120;
            reddish += red ? 1 : 0;
            outside += (x < 10 && p != OpaquePixel(0xFFFFFF)) ? 1 : 0;
            ASSERT_EQ(p >> 24, 0xFFu) << "text keeps an opaque target opaque";
        }
    EXPECT_GT(reddish, 20);
    EXPECT_EQ(outside, 0);
    const ZelRect measured = canvas.MeasureText(u"MMMM", 200, font);
    EXPECT_GT(measured.Width(), 10);
    EXPECT_GT(measured.Height(), 5);

    canvas.DrawFocusRect(ZelRect{0, 0, 6, 6});
    EXPECT_EQ(At(target, 0, 0), 0xFF000000u);
    EXPECT_EQ(At(target, 1, 0), 0xFFFFFFFFu) << "dotted in two tones";
}

// At scale 2 every logical pixel is 2 x 2 device pixels: fills, regions, the focus mark's dots; a
// bitmap of the canvas's scale is copied pixel for pixel, one of another scale resampled to fit; text
// is drawn with the font at twice its height and measured back in logical pixels.
TEST(PixelCanvas, AtScaleTwoLogicalPixelsCoverTwoByTwoDevicePixels)
{
    Image target = MakeSolidImage(20, 10, 0xFFFFFF, 2.0);
    ASSERT_EQ(target.Data()->width, 40);
    EXPECT_EQ(target.Width(), 20);
    EXPECT_EQ(target.Scale(), 2.0);
    PixelCanvas canvas(target);
    EXPECT_EQ(canvas.Scale(), 2.0);
    canvas.PushRegion(ZelRect{1, 1, 3, 3});
    canvas.FillRect(ZelRect{0, 0, 5, 5}, 0x0000FF);
    canvas.PopRegion();
    EXPECT_EQ(At(target, 1, 1), OpaquePixel(0xFFFFFF));
    EXPECT_EQ(At(target, 2, 2), OpaquePixel(0x0000FF));
    EXPECT_EQ(At(target, 5, 5), OpaquePixel(0x0000FF));
    EXPECT_EQ(At(target, 6, 6), OpaquePixel(0xFFFFFF)) << "clipped at logical 3";

    Image fine = MakeBlankImage(2, 1, 2.0);  // 4 x 2 device pixels, every column its own colour
    for (int x = 0; x < 4; ++x)
        fine.Data()->Row(0)[x] = fine.Data()->Row(1)[x] = OpaquePixel(0x10 * (x + 1));
    canvas.CopyImage(fine, 4, 0);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(At(target, 8 + x, 1), OpaquePixel(0x10 * (x + 1))) << "pixel for pixel, column " << x;
    canvas.DrawImage(MakeSolidImage(1, 1, 0x00FF00), ZelRect{8, 0, 9, 1});
    EXPECT_EQ(At(target, 17, 1), OpaquePixel(0x00FF00)) << "a scale-1 bitmap covers its 2 x 2 pixels";

    canvas.DrawFocusRect(ZelRect{10, 2, 16, 8});
    EXPECT_EQ(At(target, 21, 5), 0xFF000000u) << "a dot is a logical pixel";
    EXPECT_EQ(At(target, 22, 4), 0xFFFFFFFFu);

    const Font font = MakeFont(WindowFont{});
    Image one = MakeSolidImage(60, 20, 0xFFFFFF);
    PixelCanvas plain(one);
    const ZelRect atOne = plain.MeasureText(u"Sign in", 200, font), atTwo = canvas.MeasureText(u"Sign in", 200, font);
    EXPECT_NEAR(atTwo.Height(), atOne.Height(), 1) << "measured in logical pixels";
    EXPECT_NEAR(atTwo.Width(), atOne.Width(), 3);
    auto inked = [](const Image& image) {
        int rows = 0;
        for (int y = 0; y < image.Data()->height; ++y)
            for (int x = 0; x < image.Data()->width; ++x)
                if (image.Data()->Row(y)[x] != OpaquePixel(0xFFFFFF)) {
                    ++rows;
                    break;
                }
        return rows;
    };
    Image text2 = MakeSolidImage(60, 20, 0xFFFFFF, 2.0);
    PixelCanvas(text2).PaintText(u"Hg", font, false, ZelRect{0, 0, 60, 20}, textformat::kSingleLine, 0);
    PixelCanvas(one).PaintText(u"Hg", font, false, ZelRect{0, 0, 60, 20}, textformat::kSingleLine, 0);
    EXPECT_NEAR(inked(text2), 2 * inked(one), 3) << "the font at twice its height, not the text stretched";
}

// A child window's canvas rounds its logical positions as its parent does, so at 150 % the pixels of
// both meet without a gap or an overlap.
TEST(PixelCanvas, AChildsCanvasRoundsLikeItsParent)
{
    Image whole = MakeSolidImage(4, 1, 0, 1.5);  // 6 device pixels
    Image child = MakeSolidImage(3, 1, 0, 1.5);  // the part from logical 1 on: device 2 (1.5 rounded) to 6
    ASSERT_EQ(child.Data()->width, 5);  // 4.5 rounded up, though the part covers 4 of the parent's
    PixelCanvas(whole).FillRect(ZelRect{2, 0, 3, 1}, 0x0000FF);
    PixelCanvas(child, 1, 0).FillRect(ZelRect{1, 0, 2, 1}, 0x0000FF);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(At(child, x, 0), At(whole, 2 + x, 0)) << "device column " << x;
}

}  // namespace
}  // namespace tessaly::toolkit
