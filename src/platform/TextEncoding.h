#pragma once
// UTF-8 <-> UTF-16 conversion shared by the platform layer and everything above it.
#include <string>
#include <string_view>

namespace tessaly::platform {

// UTF-16 -> UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// UTF-8 -> UTF-16; every invalid, over-long or truncated sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// The narrow text that the in-house libraries exchange with the library (request addresses and
// replies, cipher bytes, reply files): UTF-8 on Linux, the ANSI code page on Windows. A character the
// code page lacks becomes the code page's default character.
std::string ToEdgeText(std::u16string_view text);
std::u16string FromEdgeText(std::string_view text);

// Decodes file text: a UTF-16LE byte-order mark selects UTF-16LE, else UTF-8 (a UTF-8 mark is
// skipped).
std::u16string DecodeFileText(std::string_view bytes);

// ASCII letters compared without regard to case; every other unit exactly.
bool EqualsAsciiNoCase(std::u16string_view a, std::u16string_view b);

// The text without leading and trailing spaces, tabs, CR and LF.
std::u16string_view TrimBlanks(std::u16string_view text);

}  // namespace tessaly::platform
