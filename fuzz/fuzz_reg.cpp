// The settings-store reader over .reg text. Any file text and any key/value name must give either
// nothing, a well-formed string or a number; a value written after the fuzzed text is found.
#include <variant>

#include "FuzzCheck.h"
#include "platform/SettingsStore.h"
#include "support/WideText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tessaly::fuzz::InputSlicer input(data, size);
    const std::u16string key = tessaly::FromUtf8(input.Field());
    const std::u16string name = tessaly::FromUtf8(input.Field());
    const std::string_view text = input.Rest();

    const auto value = tessaly::platform::FindSettingInText(text, key, name);
    if (value && std::holds_alternative<std::u16string>(*value))
        FUZZ_CHECK(tessaly::fuzz::IsWellFormedUtf16(std::get<std::u16string>(*value)));

    // Whole-file UTF-16 form of the same text must not be read out of bounds either.
    std::string wide("\xFF\xFE", 2);
    wide.append(text);
    (void)tessaly::platform::FindSettingInText(wide, key, name);

    // Appended after blank lines (so no continuation line of the fuzzed text can reach it), and only
    // when the fuzzed text does not define the same key itself.
    if (text.find('\0') != std::string_view::npos ||
        tessaly::AsciiLower(tessaly::FromUtf8(text)).find(u"fuzz") != std::u16string::npos)
        return 0;
    const std::string tail = "\r\n\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\FuzzVendor]\r\n"
                             "\"Debug\"=dword:0000001f\r\n\"Name\"=\"a\\\\b\"\r\n";
    const std::string combined = "REGEDIT4\r\n" + std::string(text) + tail;
    const auto number = tessaly::platform::FindSettingInText(combined, u"software\\fuzzvendor", u"DEBUG");
    FUZZ_CHECK(number && std::holds_alternative<std::uint32_t>(*number) && std::get<std::uint32_t>(*number) == 0x1F);
    const auto str = tessaly::platform::FindSettingInText(combined, u"SOFTWARE\\FuzzVendor", u"name");
    FUZZ_CHECK(str && std::holds_alternative<std::u16string>(*str) && std::get<std::u16string>(*str) == u"a\\b");
    return 0;
}
