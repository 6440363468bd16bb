// The marker search over page markup: true exactly when both markers occur, whatever surrounds them.
#include "FuzzCheck.h"
#include "redirect/worker/ReplyMarkers.h"
#include "support/WideText.h"

namespace {

bool Model(std::u16string_view text)
{
    return text.find(tessaly::kReplyStartMarker) != std::u16string_view::npos &&
           text.find(tessaly::kReplyEndMarker) != std::u16string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string decoded = tessaly::FromUtf8(bytes);
    FUZZ_CHECK(tessaly::FindReplyMarkers(decoded) == Model(decoded));
    const std::u16string units = tessaly::fuzz::AsUtf16Units(bytes);
    FUZZ_CHECK(tessaly::FindReplyMarkers(units) == Model(units));
    // Wrapping the page in the two markers (either order) always signals completion.
    FUZZ_CHECK(tessaly::FindReplyMarkers(std::u16string(tessaly::kReplyEndMarker) + decoded +
                                         std::u16string(tessaly::kReplyStartMarker)));
    return 0;
}
