#pragma once
// Text format flags: the values the skin's controls store for how their text is laid out.
#include <cstdint>

namespace tessaly::textformat {

inline constexpr std::uint32_t kCenter = 0x01;
inline constexpr std::uint32_t kRight = 0x02;
inline constexpr std::uint32_t kVCenter = 0x04;
inline constexpr std::uint32_t kBottom = 0x08;
inline constexpr std::uint32_t kWordBreak = 0x10;
inline constexpr std::uint32_t kSingleLine = 0x20;
inline constexpr std::uint32_t kNoClip = 0x100;

}  // namespace tessaly::textformat
