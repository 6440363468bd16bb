// The inline string helpers of the public header, which hosts compile into their own code. Checks that
// setting from UTF-8 and writing back never overruns, always terminates, agrees with the library's own
// conversions on valid text, and that a cut-down copy is an exact prefix of the whole text.
#include <tessaly/tessaly.h>

#include <cstring>
#include <vector>

#include "FuzzCheck.h"
#include "support/WideText.h"

namespace {

using tessaly::fuzz::IsWellFormedUtf16;
using tessaly::fuzz::IsWellFormedUtf8;

struct OwnedString {
    TessalyString value = nullptr;
    ~OwnedString() { TessalyStringFree(&value); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tessaly::fuzz::InputSlicer input(data, size);
    const std::uint8_t capacity = input.Byte();
    const std::string utf8(input.Field());  // stops at the first NUL, as a C string would

    OwnedString s;
    FUZZ_CHECK(TessalyStringSetUtf8(&s.value, utf8.c_str()) == 0);
    const std::u16string_view wide(s.value ? s.value : u"", TessalyStringLength(s.value));
    FUZZ_CHECK(utf8.empty() == (s.value == nullptr));
    FUZZ_CHECK(IsWellFormedUtf16(wide));
    if (IsWellFormedUtf8(utf8))
        FUZZ_CHECK(wide == tessaly::FromUtf8(utf8));

    const std::size_t need = TessalyStringToUtf8(s.value, nullptr, 0);
    std::vector<char> whole(need + 1, '\x7f');
    FUZZ_CHECK(TessalyStringToUtf8(s.value, whole.data(), whole.size()) == need);
    FUZZ_CHECK(whole[need] == '\0');
    const std::string_view wholeText(whole.data(), need);
    FUZZ_CHECK(std::strlen(whole.data()) == need);
    FUZZ_CHECK(IsWellFormedUtf8(wholeText));
    FUZZ_CHECK(wholeText == tessaly::ToUtf8(wide));
    if (IsWellFormedUtf8(utf8))
        FUZZ_CHECK(wholeText == utf8);

    // A short buffer with a guard byte behind it: nothing beyond `capacity` may be touched.
    std::vector<char> cut(static_cast<std::size_t>(capacity) + 1, '\x7f');
    FUZZ_CHECK(TessalyStringToUtf8(s.value, cut.data(), capacity) == need);
    FUZZ_CHECK(cut[capacity] == '\x7f');
    if (capacity > 0) {
        const std::size_t kept = std::strlen(cut.data());
        FUZZ_CHECK(kept < capacity);
        // Cut before the first character that does not fit whole: at most three bytes short.
        const std::size_t room = std::min<std::size_t>(need, capacity - 1u);
        FUZZ_CHECK(kept <= room && kept + 3 >= room);
        FUZZ_CHECK(IsWellFormedUtf8(std::string_view(cut.data(), kept)));
        FUZZ_CHECK(wholeText.substr(0, kept) == std::string_view(cut.data(), kept));
    }

    // Copying a prefix keeps exactly those units and always terminates.
    OwnedString copy;
    const std::size_t units = wide.size() / 2;
    FUZZ_CHECK(TessalyStringSetN(&copy.value, s.value, units) == 0);
    FUZZ_CHECK(TessalyStringLength(copy.value) == (units ? units : 0));
    if (units)
        FUZZ_CHECK(std::u16string_view(copy.value, units) == wide.substr(0, units));
    return 0;
}
