#include "login/HostStrings.h"

#include <algorithm>
#include <new>
#include <type_traits>

namespace tessaly {

// The host's unit is char16_t on Linux and wchar_t on Windows: both are UTF-16 code units.
static_assert(sizeof(TessalyChar) == sizeof(char16_t));

std::u16string ReadHostString(const TessalyChar* text)
{
    std::u16string out;
    if (text) {
        out.resize(TessalyStringLength(text));
        std::transform(text, text + out.size(), out.begin(), [](TessalyChar unit) { return static_cast<char16_t>(unit); });
    }
    return out;
}

namespace {

template <typename Unit>
int SetHostUnits(TessalyString* target, std::u16string_view text)
{
    if constexpr (std::is_same_v<Unit, char16_t>) {
        return TessalyStringSetN(target, text.data(), text.size());
    } else {
        const std::basic_string<Unit> units(text.begin(), text.end());
        return TessalyStringSetN(target, units.data(), units.size());
    }
}

}  // namespace

void WriteHostString(TessalyString* target, std::u16string_view text)
{
    if (SetHostUnits<TessalyChar>(target, text) != 0)
        throw std::bad_alloc();
}

}  // namespace tessaly
