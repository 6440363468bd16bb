#pragma once
// Value types shared by the configuration records: rectangles and colours.
#include <cstdint>

namespace tessaly {

// Colour with red in the lowest byte, then green, then blue.
using ZelColor = std::uint32_t;

// "No colour given".
inline constexpr ZelColor kNoColor = 0xFFFFFFFFu;

// Left, top, right, bottom in client-area pixels.
struct ZelRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    bool operator==(const ZelRect&) const = default;
};

// Index into an item's strImage array.
enum ItemImage : int { kImageOut = 0, kImageIn = 1, kImageSelect = 2, kImageDisable = 3 };

}  // namespace tessaly
