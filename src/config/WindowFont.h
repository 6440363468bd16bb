#pragma once
// A font as the configuration describes it; the user interface turns it into a real font.
#include <cstddef>
#include <cstdint>
#include <string>

namespace tessaly {

struct WindowFont {
    // Longest face name kept; longer names are cut to this many characters.
    static constexpr std::size_t kMaxFaceName = 31;

    std::u16string strFaceName;    // empty: the system's choice
    // Minus the configured size: a negative height is a character height of -nHeight pixels.
    // 0: the system's choice.
    std::int32_t nHeight = 0;
    std::int32_t nWeight = 0;      // 400 normal, 700 bold; 0: system's choice
    bool bUnderline = false;
    std::uint8_t nCharSet = 0;     // low 8 bits of the configured value

    bool operator==(const WindowFont&) const = default;
};

}  // namespace tessaly
