#pragma once
// The skin's bitmaps, held by the window toolkit. An image is either a decoded file, drawn (and
// stretched) at paint time, or a rendered bitmap (a background, a snapshot, an image strip, a composed
// button face) that is copied as it stands. Copies of an Image share its pixels; an empty Image is
// "no image".
#include <memory>
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
    int Width() const;
    int Height() const;
    ImageData* Data() const { return m_data.get(); }
    void Reset() { m_data.reset(); }

private:
    std::shared_ptr<ImageData> m_data;
};

// Decodes an image file (upright, by its orientation tag); empty when the file is missing or cannot
// be decoded.
Image LoadImageFile(std::u16string_view path);

// Renders an image file into a new bitmap. An empty `size` keeps the file's own size, otherwise the
// image is stretched to it. With a fill other than kNoColor the bitmap is filled first, so transparent
// pixels show the fill. Empty when the file cannot be decoded.
Image RenderImageFile(std::u16string_view path, const ZelRect& size, ZelColor fill);

// A new bitmap of one colour; empty for an empty size.
Image MakeSolidImage(int width, int height, ZelColor color);

// A new, fully transparent bitmap; empty for an empty size.
Image MakeBlankImage(int width, int height);

// A new bitmap of the given size showing the part of `source` that starts at x, y; parts outside the
// source show `fill` (transparent with kNoColor). Empty for an empty size.
Image CopyImageRegion(const Image& source, int x, int y, int width, int height, ZelColor fill = kNoColor);

// Turns every pixel of exactly `color` fully transparent (a rendered bitmap).
void MakeColorTransparent(Image& image, ZelColor color);

}  // namespace tessaly::toolkit
