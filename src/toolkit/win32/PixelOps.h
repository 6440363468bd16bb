#pragma once
// Arithmetic on premultiplied 0xAARRGGBB pixels: what the Win32 backend's images and canvas are made
// of, so that alpha survives every step (GDI itself knows no alpha).
#include <cstdint>

#include "config/ConfigTypes.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace tessaly::toolkit {

// An opaque pixel of a skin colour (red in the colour's low byte).
constexpr std::uint32_t OpaquePixel(ZelColor color)
{
    return 0xFF000000u | ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
}

// `source` over `target`, both premultiplied.
inline std::uint32_t Over(std::uint32_t target, std::uint32_t source)
{
    const std::uint32_t inverse = 255u - (source >> 24);
    if (inverse == 0)
        return source;
    if (inverse == 255)
        return target;
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t s = (source >> shift) & 0xFFu;
        const std::uint32_t t = (target >> shift) & 0xFFu;
        out |= ((s + (t * inverse + 127) / 255) & 0xFFu) << shift;
    }
    return out;
}

// A colour at coverage 0..255, premultiplied.
inline std::uint32_t Covered(ZelColor color, std::uint32_t coverage)
{
    const std::uint32_t opaque = OpaquePixel(color);
    std::uint32_t out = coverage << 24;
    for (int shift = 0; shift < 24; shift += 8)
        out |= ((((opaque >> shift) & 0xFFu) * coverage + 127) / 255) << shift;
    return out;
}

// The image resampled to width x height, each pixel a bilinear mix of its four nearest sources.
ImageData ScaleBilinear(const ImageData& source, int width, int height);

}  // namespace tessaly::toolkit
