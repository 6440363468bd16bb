// The reply-file reader of the pre-login exchange: any file content gives either the unchanged result
// (file too long), an empty result, or the file's text up to its first zero byte when that text starts
// with "http:" in any letter case.
#include "FuzzCheck.h"
#include "TempInputFile.h"
#include "prelogin/CGetPreloginInfo.h"
#include "support/WideText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static tessaly::fuzz::TempInputFile file(".reply");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string path = tessaly::FromUtf8(file.Write(bytes));

    std::u16string result = u"previous";
    FUZZ_CHECK(tessaly::CGetPreloginInfo::ParseAdXml(path, result));
    if (size > tessaly::CGetPreloginInfo::kMaxReplyBytes) {
        FUZZ_CHECK(result == u"previous");
        return 0;
    }
    const std::u16string text = tessaly::FromUtf8(bytes.substr(0, bytes.find('\0')));
    const bool accepted = text.size() >= 5 && tessaly::EqualsNoCase(text.substr(0, 5), u"http:");
    FUZZ_CHECK(result == (accepted ? text : u""));

    // A missing file leaves the result alone.
    std::u16string untouched = u"kept";
    FUZZ_CHECK(tessaly::CGetPreloginInfo::ParseAdXml(path + u".missing", untouched) && untouched == u"kept");
    return 0;
}
