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

}  // namespace
}  // namespace tessaly::toolkit
