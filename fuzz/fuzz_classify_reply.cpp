// Reply classification: any reply text and any configured message pattern give the code _wtoi would
// read (-1 for a reply without digits), result 1 exactly for code 0 (message untouched), and
// otherwise the message of the code's item.
#include "FuzzCheck.h"
#include "LoginProbe.h"
#include "support/SafeFormat.h"
#include "support/WideText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tessaly::fuzz::InputSlicer input(data, size);
    const std::u16string reply = tessaly::FromUtf8(input.Field());
    const std::u16string errorMsg = tessaly::FromUtf8(input.Field());
    const std::u16string errorPwd = tessaly::FromUtf8(input.Field());

    tessaly::fuzz::LoginProbe login;
    if (input.Byte() & 1)
        login.SetItem(u"ErrorMsg", errorMsg);
    login.SetItem(u"ErrorPwd", errorPwd);

    tessaly::fuzz::OwnedResult result;
    FUZZ_CHECK(TessalyStringSetUtf8(&result.record.m_strMessage, "before") == 0);
    const int accepted = login.ClassifyReply(reply, &result.record);
    const std::int32_t code = tessaly::StartsWithDecimal(reply) ? tessaly::WToI(reply) : -1;
    FUZZ_CHECK(result.record.m_nCode == code);
    FUZZ_CHECK(accepted == (code == 0 ? 1 : 0));

    const std::u16string message(result.record.m_strMessage ? result.record.m_strMessage : u"");
    if (code == 0) {
        FUZZ_CHECK(message == u"before");
    } else if (code == -102) {
        FUZZ_CHECK(message == errorPwd.substr(0, errorPwd.find(u'\0')));
    } else if (code < -105 || code > -101) {
        std::u16string pattern;
        login.GetWindowInfo(pattern, u"ErrorMsg");
        const std::u16string expected = tessaly::SafeFormat(pattern, {code});
        FUZZ_CHECK(message == expected.substr(0, expected.find(u'\0')));
    } else {
        FUZZ_CHECK(message.empty());  // the other four named items are not configured here
    }
    return 0;
}
