#pragma once
// Percent-encoding of one query value: the text's UTF-8 bytes, with letters, digits and "-._~" kept
// and every other byte written as '%' and two upper-case hexadecimal digits.
#include <string>
#include <string_view>

namespace tessaly {

std::u16string PercentEncode(std::u16string_view value);

}  // namespace tessaly
