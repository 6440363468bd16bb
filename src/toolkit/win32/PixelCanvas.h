#pragma once
// The canvas on Windows: draws into an image's premultiplied pixels. Text is laid out and rasterised
// by GDI (DrawTextW takes the skin's format flags as they are) into a grey mask that is then blended
// in the text colour, so that alpha stays right in composed bitmaps too.
#include <windows.h>

#include <functional>
#include <vector>

#include "toolkit/Canvas.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace tessaly::toolkit {

class PixelCanvas : public Canvas {
public:
    // Draws into `image` (kept alive by the canvas).
    explicit PixelCanvas(Image image);

    double Scale() const override { return 1.0; }
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
        int originX = 0;
        int originY = 0;
        RECT clip{};  // in the image's pixels
    };

    // `rect` (canvas coordinates) in the image's pixels, cut to the clip; empty when nothing is left.
    RECT Visible(const ZelRect& rect) const;
    void Blend(const ImageData& source, int sourceX, int sourceY, const RECT& target);

    Image m_image;
    ImageData& m_pixels;
    Region m_region;
    std::vector<Region> m_saved;
};

// Answers WM_PAINT for `window`: `draw` paints its whole client area (width x height) on a canvas
// off screen, which is then shown in one copy.
void PaintWindow(HWND window, const std::function<void(Canvas& canvas, int width, int height)>& draw);

}  // namespace tessaly::toolkit
