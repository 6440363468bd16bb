#pragma once
// The skin's bitmaps, held by the window toolkit. An image is either a decoded file, drawn (and
// stretched) at paint time, or a rendered bitmap (a background, a snapshot, an image strip, a composed
// button face) that is copied as it stands. Copies of an Image share its pixels; an empty Image is
// "no image".
//
// Sizes and positions are logical pixels, the skin's own; a window at scale N shows N x N device
// pixels for each of them (scale 2 at 200 %, 192 DPI). A rendered bitmap is made at a scale and holds
// that many device pixels per logical pixel, so on a canvas of the same scale it is copied pixel for
// pixel. A decoded file is resampled once, at paint time, to the device pixels it covers; on a canvas
// of scale 2 or more its high-resolution companion (HighResolutionPath) is drawn instead when the skin
// ships one, so a face made for 200 % is not resampled at all there.
#include <cmath>
#include <memory>
#include <string>
#include <string_view>

#include "config/ConfigTypes.h"

namespace tessaly::toolkit {

struct ImageData;  // the toolkit's own bitmap

class Image {
public:
    Image() = default;
    explicit Image(std::shared_ptr<ImageData> data) : m_data(std::move(data)) {}

    explicit operator bool() const { return m_data != nullptr; }
    bool operator==(const Image& other) const { return m_data == other.m_data; }
    // The logical size.
    int Width() const;
    int Height() const;
    // Device pixels per logical pixel of a rendered bitmap; 1 for a decoded file and for no image.
    double Scale() const;
    ImageData* Data() const { return m_data.get(); }
    void Reset() { m_data.reset(); }

private:
    std::shared_ptr<ImageData> m_data;
};

// From this scale on, the high-resolution companion of a file is used where there is one.
inline constexpr double kHighResolutionScale = 2.0;

// The device pixels that `logical` pixels cover at `scale`.
inline int DevicePixels(int logical, double scale) { return static_cast<int>(std::lround(logical * scale)); }

// The high-resolution companion of an image file: "skin\name@2x.png" beside "skin\name.png" (the
// extension, when there is one, stays last). It is meant to be exactly twice the size of its file;
// its file still decides the logical size, so a skin looks the same whatever it ships.
inline std::u16string HighResolutionPath(std::u16string_view path)
{
    const std::size_t folder = path.find_last_of(u"/\\");
    const std::size_t name = folder == std::u16string_view::npos ? 0 : folder + 1;
    const std::size_t dot = path.rfind(u'.');
    const std::size_t at = dot != std::u16string_view::npos && dot > name ? dot : path.size();
    std::u16string companion(path.substr(0, at));
    companion += u"@2x";
    companion += path.substr(at);
    return companion;
}

// Decodes an image file (upright, by its orientation tag); empty when the file is missing or cannot
// be decoded. Its high-resolution companion is decoded when a canvas of scale 2 or more first needs it.
Image LoadImageFile(std::u16string_view path);

// Renders an image file into a new bitmap at `scale`. An empty `size` keeps the file's own size,
// otherwise the image is stretched to it. With a fill other than kNoColor the bitmap is filled first,
// so transparent pixels show the fill. At scale 2 or more the companion is rendered when there is one.
// Empty when the file cannot be decoded.
Image RenderImageFile(std::u16string_view path, const ZelRect& size, ZelColor fill, double scale = 1.0);

// Renders an image strip at its file's size and `scale`, keeping its own transparency, with its opaque
// pixels of exactly `key` made transparent. The key is taken out at the resolution of the file that is
// read, before any resampling, so no key-coloured fringe is left. Empty when the file cannot be
// decoded.
Image RenderKeyedImageFile(std::u16string_view path, ZelColor key, double scale = 1.0);

// A new bitmap of one colour; empty for an empty size.
Image MakeSolidImage(int width, int height, ZelColor color, double scale = 1.0);

// A new, fully transparent bitmap; empty for an empty size.
Image MakeBlankImage(int width, int height, double scale = 1.0);

// A new bitmap of the given size showing the part of `source` that starts at x, y; parts outside the
// source show `fill` (transparent with kNoColor). It has the source's scale and the source's device
// pixels, unresampled. Empty for an empty size.
Image CopyImageRegion(const Image& source, int x, int y, int width, int height, ZelColor fill = kNoColor);

// Turns every pixel of exactly `color` fully transparent (a rendered bitmap).
void MakeColorTransparent(Image& image, ZelColor color);

}  // namespace tessaly::toolkit
