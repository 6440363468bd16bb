#pragma once
// Where the skin draws: a control's area on screen, the client area, or a bitmap being composed.
// Coordinates are logical pixels from the current region's top-left corner. A canvas has a scale
// (device pixels per logical pixel): text, fills, lines and the focus mark are drawn at the device
// resolution, and a rendered bitmap of the canvas's scale is copied pixel for pixel.
#include <cstdint>
#include <memory>
#include <string_view>

#include "config/ConfigTypes.h"
#include "toolkit/Font.h"
#include "toolkit/Image.h"

namespace tessaly::toolkit {

class Canvas {
public:
    virtual ~Canvas() = default;

    // Device pixels per logical pixel of what the canvas draws on (a window at 200 %: 2; a bitmap:
    // its own scale). Controls make the bitmaps they compose for it at this scale.
    virtual double Scale() const = 0;

    // Paints the whole region in one colour.
    virtual void Fill(ZelColor color) = 0;
    virtual void FillRect(const ZelRect& rect, ZelColor color) = 0;
    // Replaces the pixels under the image with the image's own, alpha included (nothing for none).
    virtual void CopyImage(const Image& image, int x, int y) = 0;
    // Blends the image over what is there, stretched to `dest`; a decoded image is scaled smoothly
    // first, so its edges are not blended with their transparent surroundings.
    virtual void DrawImage(const Image& image, const ZelRect& dest) = 0;
    // Blends the part of the image that starts at srcX, srcY into `dest`, unscaled.
    virtual void DrawImagePart(const Image& image, int srcX, int srcY, const ZelRect& dest) = 0;
    // Draws text inside `rect` with the format flags of TextFormat.h.
    virtual void PaintText(std::u16string_view text, const Font& font, bool underline, const ZelRect& rect,
                          std::uint32_t format, ZelColor color) = 0;
    // Lays the text out wrapped at word boundaries to `width`: 0, 0, widest line, total height.
    virtual ZelRect MeasureText(std::u16string_view text, int width, const Font& font) = 0;
    // The keyboard-focus mark: a rectangle outline on whole pixels, dotted black and white in turn so
    // that it shows on light and dark faces alike.
    virtual void DrawFocusRect(const ZelRect& rect) = 0;
    // Moves the origin to the rectangle's top-left corner and clips to it, until PopRegion.
    virtual void PushRegion(const ZelRect& rect) = 0;
    virtual void PopRegion() = 0;
};

// A canvas drawing into a rendered bitmap; what it drew is in the bitmap once the canvas is gone.
// Null for an empty image.
std::unique_ptr<Canvas> CanvasOnImage(const Image& image);

}  // namespace tessaly::toolkit
