#pragma once
// The canvas on Windows: draws into an image's premultiplied pixels. Text is laid out and rasterised
// by GDI (DrawTextW takes the skin's format flags as they are) into a grey mask that is then blended
// in the text colour, so that alpha stays right in composed bitmaps too. Coordinates are logical; the
// canvas draws at its image's scale, each logical position at its nearest device pixel, text with the
// font at that scale, and a bitmap of the same scale pixel for pixel.
#include <windows.h>

#include <functional>
#include <vector>

#include "toolkit/Canvas.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace tessaly::toolkit {

class PixelCanvas : public Canvas {
public:
    // Draws into `image` (kept alive by the canvas), at the image's scale. The image shows the part of
    // a window whose top-left corner is at baseX, baseY (logical): positions are rounded to device
    // pixels as the window rounds them, so a child's pixels meet its parent's at any scale.
    explicit PixelCanvas(Image image, int baseX = 0, int baseY = 0);

    double Scale() const override { return m_pixels.scale; }
    void Fill(ZelColor color) override;
    void FillRect(const ZelRect& rect, ZelColor color) override;
    void CopyImage(const Image& image, int x, int y) override;
    void DrawImage(const Image& image, const ZelRect& dest) override;
    void DrawImagePart(const Image& image, int srcX, int srcY, const ZelRect& dest) override;
    void PaintText(std::u16string_view text, const Font& font, bool underline, const ZelRect& rect,
                  std::uint32_t format, ZelColor color) override;
    ZelRect MeasureText(std::u16string_view text, int width, const Font& font) override;
    void DrawFocusRect(const ZelRect& rect) override;
    void PushRegion(const ZelRect& rect) override;
    void PopRegion() override;

    const Image& Target() const { return m_image; }

private:
    struct Region {
        int originX = 0;  // logical
        int originY = 0;
        RECT clip{};  // in the image's pixels
    };

    // `rect` (canvas coordinates) in the image's pixels.
    RECT Device(const ZelRect& rect) const;
    // The same, cut to the clip; empty when nothing is left.
    RECT Visible(const ZelRect& rect) const;
    // Paints the image's pixels in `area` (already cut to the clip) with one pixel value.
    void FillDevice(const RECT& area, std::uint32_t pixel);
    // Blends (or copies) `source` placed with its top-left pixel at left, top (image pixels) into the
    // part of the image that `target` covers.
    void Put(const ImageData& source, int left, int top, const RECT& target, bool blend);
    // The image's pixels for a device rectangle of that size: its own when they fit, else resampled.
    ImageData Resampled(const Image& image, int width, int height) const;

    Image m_image;
    ImageData& m_pixels;
    int m_baseX;
    int m_baseY;
    Region m_region;
    std::vector<Region> m_saved;
};

// Answers WM_PAINT for `window`: `draw` paints its whole client area (width x height logical pixels)
// on a canvas of `scale` off screen, which is then shown in one copy. baseX, baseY: the window's
// logical place in its parent's client area.
void PaintWindow(HWND window, double scale, int baseX, int baseY,
                 const std::function<void(Canvas& canvas, int width, int height)>& draw);

}  // namespace tessaly::toolkit
